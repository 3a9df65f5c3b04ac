-- A stand-in for the parts of VLC's Lua extension host that the Turnix scripts call.
-- It keeps the options and object variables the way the host does and records every call,
-- with the time of a fake clock that moves only when the script reads it: waits are
-- measured, never slept.

local FakeVlc = {}

local CLOCK_STEP = 0.001   -- seconds the fake clock moves at each reading

-- Host objects own a fixed set of variables: reading a missing one gives nil,
-- writing a missing one is an error, as in VLC.
local function new_object(kind, vars)
  return { kind = kind, vars = vars }
end

local function copy(t)
  local c = {}
  for k, v in pairs(t or {}) do c[k] = v end
  return c
end

-- options: config = { ["video-filter"] = ..., ["transform-type"] = ... },
--          playing = true to have an input, time = its position,
--          late_restart = true for a source still opening when play() returns,
--          playlist_vars = the playlist object's own variables.
function FakeVlc.new(options)
  options = options or {}
  local host = {
    config = copy(options.config),
    events = {},
    now = 100,
    clock_reads = 0,
    deactivated = 0,
    inputs = {},
  }
  host.playlist = new_object("playlist", copy(options.playlist_vars or { ["video-filter"] = "" }))

  local function record(name, a, b, c)
    host.events[#host.events + 1] = { name = name, a = a, b = b, c = c, t = host.now }
  end

  local function start_input(time)
    local input = new_object("input", { time = time })
    host.inputs[#host.inputs + 1] = input
    host.input = input
  end
  if options.playing then start_input(options.time or 0) end

  local function check_object(object, name)
    if type(object) ~= "table" or not object.vars then
      error("vlc.var: no object given for variable '" .. tostring(name) .. "'", 3)
    end
  end

  host.vlc = {
    config = {
      get = function(name)
        record("config.get", name)
        -- VLC keeps an empty text option as no value at all.
        if host.config[name] == "" then return nil end
        return host.config[name]
      end,
      set = function(name, value)
        record("config.set", name, value)
        host.config[name] = value
      end,
    },
    object = {
      input = function()
        record("object.input")
        return host.input
      end,
      playlist = function()
        record("object.playlist")
        return host.playlist
      end,
    },
    var = {
      get = function(object, name)
        check_object(object, name)
        record("var.get", object, name)
        return object.vars[name]
      end,
      set = function(object, name, value)
        check_object(object, name)
        if object.vars[name] == nil then
          error("vlc.var.set: " .. object.kind .. " has no variable '" .. name .. "'", 2)
        end
        if value == nil then   -- VLC refuses it, in these words
          local wanted = type(object.vars[name]) == "number" and "number" or "string"
          error("bad argument #-1 to 'set' (" .. wanted .. " expected, got nil)", 2)
        end
        record("var.set", object, name, value)
        object.vars[name] = value
      end,
    },
    playlist = {
      stop = function()
        record("playlist.stop")
        -- The stopped input no longer tells where it was: a script must read the position first.
        if host.input then host.input.vars.time = 0 end
        host.input = nil
      end,
      play = function()
        record("playlist.play")
        -- A restart makes a new input that begins at the start of the file.
        if not options.late_restart then start_input(0) end
      end,
    },
    deactivate = function()
      record("deactivate")
      host.deactivated = host.deactivated + 1
    end,
  }

  host.clock = function()
    host.clock_reads = host.clock_reads + 1
    local t = host.now
    host.now = host.now + CLOCK_STEP
    return t
  end

  -- The events of one kind (and option or variable name), in order.
  function host.find(name, a)
    local found = {}
    for _, e in ipairs(host.events) do
      if e.name == name and (a == nil or e.a == a or e.b == a) then found[#found + 1] = e end
    end
    return found
  end

  return host
end

-- Runs a script file as the host does: in its own global table, which holds the
-- host's `vlc` and what the scripts take from Lua's libraries. Strings bring their
-- methods from the string library, which VLC's host opens as this interpreter does.
function FakeVlc.load(path, host)
  local env = {
    vlc = host.vlc,
    os = { clock = host.clock },
    tonumber = tonumber,
    tostring = tostring,
  }
  local chunk, err
  if setfenv then   -- Lua 5.1
    chunk, err = loadfile(path)
    if chunk then setfenv(chunk, env) end
  else
    chunk, err = loadfile(path, "t", env)
  end
  if not chunk then error(err, 2) end
  chunk()
  return env
end

FakeVlc.CLOCK_STEP = CLOCK_STEP
return FakeVlc
