-- Runs both extension scripts against the fake VLC host.
-- Usage: lua5.x scripts_test.lua <folder with turnix-cw.lua and turnix-ccw.lua> <program version>

local here = (arg[0]:match("^(.*)[/\\]") or ".") .. "/"
local FakeVlc = dofile(here .. "fake_vlc.lua")
local folder = assert(arg[1], "usage: scripts_test.lua <scripts folder> <version>")
local version = assert(arg[2], "usage: scripts_test.lua <scripts folder> <version>")

local DEG = "\194\176"   -- the degree sign in UTF-8
local TOLERANCE = 0.01   -- seconds a busy wait may overrun on the fake clock

local SCRIPTS = {
  {
    file = "turnix-cw.lua", start = "90", reset = "270",
    -- "transform-type" after one turn from a full angle.
    turn = { ["90"] = "180", ["180"] = "270", ["270"] = "hflip" },
    descriptor = {
      title = "Turnix +90" .. DEG,
      shortdesc = "Rotate video by 90" .. DEG .. " clockwise",
      description = "Turnix+90" .. DEG .. ".lua = rotate a video by 90" .. DEG .. " clockwise, "
                 .. "Turnix-90" .. DEG .. ".lua = rotate a video by 90" .. DEG .. " counter-clockwise.",
    },
  },
  {
    file = "turnix-ccw.lua", start = "270", reset = "90",
    turn = { ["90"] = "hflip", ["180"] = "90", ["270"] = "180" },
    descriptor = {
      title = "Turnix -90" .. DEG,
      shortdesc = "Rotate video by 90" .. DEG .. " counter-clockwise",
      description = "Turnix-90" .. DEG .. ".lua = rotate a video by 90" .. DEG .. " counter-clockwise, "
                 .. "Turnix+90" .. DEG .. ".lua = rotate a video by 90" .. DEG .. " clockwise.",
    },
  },
}

local cases, failures = 0, 0

local function case(name, body)
  for _, script in ipairs(SCRIPTS) do
    cases = cases + 1
    local ok, err = pcall(body, script)
    if not ok then
      failures = failures + 1
      io.stderr:write(string.format("FAIL %s [%s]: %s\n", name, script.file, tostring(err)))
    end
  end
end

local function fail(fmt, ...)
  error(string.format(fmt, ...), 0)
end

local function show(value)
  return type(value) == "string" and string.format("%q", value) or type(value) .. " " .. tostring(value)
end

local function expect_eq(actual, expected, what)
  if actual ~= expected then fail("%s: expected %s, got %s", what, show(expected), show(actual)) end
end

local function expect_near(actual, expected, what)
  if actual < expected or actual > expected + TOLERANCE then
    fail("%s: expected a wait of %.3f s, measured %.3f s", what, expected, actual)
  end
end

-- One activation of the script in a fresh host; a Lua error fails the case.
local function turn(script, options)
  local host = FakeVlc.new(options)
  local env = FakeVlc.load(folder .. "/" .. script.file, host)
  local ok, err = pcall(env.activate)
  if not ok then fail("activate raised: %s", tostring(err)) end
  return host
end

-- The running session gets the option's list.
local function expect_options(host, filter, angle, what)
  expect_eq(host.config["video-filter"], filter, what .. ", video-filter")
  expect_eq(host.config["transform-type"], angle, what .. ", transform-type")
  expect_eq(host.playlist.vars["video-filter"], filter, what .. ", the playlist's video-filter")
end

local function settings(filter, angle)
  return { config = { ["video-filter"] = filter, ["transform-type"] = angle } }
end

case("a list without the item transform gets it at its end, and the start value", function(s)
  local starts = { { nil, nil, "transform" }, { "", "hflip", "transform" }, { "", "180", "transform" },
                   { "invert", nil, "invert:transform" }, { "invert", "hflip", "invert:transform" },
                   { "adjust:invert", "90", "adjust:invert:transform" },
                   { "Transform", "90", "Transform:transform" },
                   { "transforms:invert", "180", "transforms:invert:transform" } }
  for _, before in ipairs(starts) do
    local host = turn(s, settings(before[1], before[2]))
    expect_options(host, before[3], s.start,
                   "from " .. tostring(before[1]) .. "/" .. tostring(before[2]))
  end
end)

case("each full angle turns by 90 degrees, and hflip means no turn, whatever else is listed", function(s)
  -- Each list, and what is left of it at the reset.
  local lists = { { "transform", "" }, { "invert:transform", "invert" }, { "transform:sharpen", "sharpen" },
                  { "adjust:transform:invert", "adjust:invert" }, { "adjust:transform", "adjust" },
                  { "transform:transform:invert", "invert" } }
  for _, list in ipairs(lists) do
    local from = list[1] .. " at "
    expect_options(turn(s, settings(list[1], "hflip")), list[1], s.start, from .. "hflip")
    for _, angle in ipairs({ "90", "180", "270" }) do
      local filter = angle == s.reset and list[2] or list[1]
      local host = turn(s, settings(list[1], angle))
      expect_options(host, filter, s.turn[angle], from .. angle)
      -- The host may hand the option back as a number.
      host = turn(s, settings(list[1], tonumber(angle)))
      expect_options(host, filter, s.turn[angle], from .. "the number " .. angle)
    end
  end
end)

case("four turns in a row come back to the user's own list", function(s)
  for _, start in ipairs({ { "", "hflip", "transform" }, { "invert", nil, "invert:transform" },
                           { "adjust:invert", "hflip", "adjust:invert:transform" } }) do
    local filter, angle = start[1], start[2]
    local seen = {}
    for _ = 1, 4 do
      local host = turn(s, settings(filter, angle))
      filter, angle = host.config["video-filter"], host.config["transform-type"]
      seen[#seen + 1] = filter .. "/" .. angle
    end
    local cycle = s.start == "90" and { "90", "180", "270" } or { "270", "180", "90" }
    local expected = {}
    for k, a in ipairs(cycle) do expected[k] = start[3] .. "/" .. a end
    expected[4] = start[1] .. "/hflip"
    expect_eq(table.concat(seen, " "), table.concat(expected, " "), "the cycle from " .. start[1])
  end
end)

case("a turn one way and one the other leave the angle as it was", function(s)
  local other = s.file == "turnix-cw.lua" and SCRIPTS[2] or SCRIPTS[1]
  for _, before in ipairs({ { "", "hflip" }, { "transform", "90" }, { "transform", "180" },
                            { "transform", "270" }, { "invert", "hflip" }, { "invert:transform", "90" },
                            { "invert:transform", "180" }, { "invert:transform", "270" } }) do
    local there = turn(s, settings(before[1], before[2]))
    local back = turn(other, settings(there.config["video-filter"], there.config["transform-type"]))
    expect_options(back, before[1], before[2], "there and back from " .. before[1] .. "/" .. before[2])
  end
end)

case("an angle that is no number takes the start value and still deactivates", function(s)
  for _, angle in ipairs({ "vflip", "transpose", "antitranspose", "", "90x" }) do
    local host = turn(s, { playing = true, time = 7, config = { ["video-filter"] = "transform",
                                                              ["transform-type"] = angle } })
    expect_options(host, "transform", s.start, "from " .. angle)
    expect_eq(#host.find("playlist.play"), 1, "playback restarted after " .. angle)
    expect_eq(host.deactivated, 1, "deactivations after " .. angle)
  end
  local host = turn(s, settings("transform", nil))
  expect_options(host, "transform", s.start, "from a missing transform-type")
  -- Where the item is there already, the list stays as it is.
  for _, list in ipairs({ "invert:transform", "transform:sharpen" }) do
    expect_options(turn(s, settings(list, "vflip")), list, s.start, list .. " at vflip")
  end
end)

case("transform-type is written before video-filter, as texts, in every branch", function(s)
  for _, list in ipairs({ "transform", "invert:transform", "invert" }) do
    for _, angle in ipairs({ "hflip", "90", "180", "270", "vflip" }) do
      local from = list .. " at " .. angle
      local host = turn(s, settings(list, angle))
      local sets = host.find("config.set")
      expect_eq(#sets, 2, "option writes from " .. from)
      expect_eq(sets[1].a, "transform-type", "first write from " .. from)
      expect_eq(sets[2].a, "video-filter", "second write from " .. from)
      expect_eq(type(sets[1].b), "string", "transform-type value type from " .. from)
    end
  end
end)

case("the playlist's own video-filter follows every turn", function(s)
  for _, angle in ipairs({ "hflip", "90", "180", "270" }) do
    local host = turn(s, { config = { ["video-filter"] = "transform", ["transform-type"] = angle },
                           playlist_vars = { ["video-filter"] = "stale" } })
    expect_eq(host.playlist.vars["video-filter"], host.config["video-filter"],
              "playlist video-filter after a turn from " .. angle)
    expect_eq(host.playlist.vars["transform-type"], nil,
              "a playlist transform-type that did not exist, after a turn from " .. angle)
  end
end)

case("the playlist's transform-type is updated once it exists", function(s)
  for _, angle in ipairs({ "hflip", "90", "180", "270" }) do
    local host = turn(s, { config = { ["video-filter"] = "transform", ["transform-type"] = angle },
                           playlist_vars = { ["video-filter"] = "transform", ["transform-type"] = "0" } })
    expect_eq(host.playlist.vars["transform-type"], host.config["transform-type"],
              "playlist transform-type after a turn from " .. angle)
    expect_eq(host.playlist.vars["video-filter"], host.config["video-filter"],
              "playlist video-filter after a turn from " .. angle)
    local sets = host.find("var.set")
    expect_eq(sets[1].b, "transform-type", "first playlist write from " .. angle)
  end
end)

case("nothing playing: no stop, no play, no wait, no position", function(s)
  local host = turn(s, settings("", "hflip"))
  expect_eq(#host.find("playlist.stop"), 0, "stops")
  expect_eq(#host.find("playlist.play"), 0, "plays")
  expect_eq(host.clock_reads, 0, "clock readings")
  expect_eq(#host.find("var.get", "time") + #host.find("var.set", "time"), 0, "position reads and writes")
  expect_eq(host.deactivated, 1, "deactivations")
  expect_eq(host.events[#host.events].name, "deactivate", "last call")
end)

case("something playing: stop, wait, change, wait, play, wait, position back", function(s)
  local host = turn(s, { playing = true, time = 123456789,
                         config = { ["video-filter"] = "transform", ["transform-type"] = "180" } })
  local first = host.inputs[1]
  local stop = host.find("playlist.stop")
  local play = host.find("playlist.play")
  local sets = host.find("config.set")
  expect_eq(#stop, 1, "stops")
  expect_eq(#play, 1, "plays")
  expect_eq(#host.find("var.get", "time"), 1, "position reads")
  expect_eq(host.find("var.get", "time")[1].a, first, "position read from")
  expect_near(sets[1].t - stop[1].t, 0.5, "after stopping")
  expect_near(play[1].t - sets[#sets].t, 0.5, "before playing")
  local restore = host.find("var.set", "time")
  expect_eq(#restore, 1, "position writes")
  expect_near(restore[1].t - play[1].t, 0.2, "before restoring the position")
  expect_eq(restore[1].a, host.inputs[2], "position written to the input found after the restart")
  expect_eq(host.inputs[2].vars.time, 123456789, "restored position")
  expect_eq(host.deactivated, 1, "deactivations")
  expect_eq(host.events[#host.events].name, "deactivate", "last call")
end)

case("a source not back after the restart: the turn is made, no position, and it deactivates", function(s)
  local host = turn(s, { playing = true, time = 123456789, late_restart = true,
                         config = { ["video-filter"] = "invert:transform", ["transform-type"] = "180" } })
  expect_options(host, "invert:transform", s.turn["180"], "from invert:transform at 180")
  expect_eq(#host.find("playlist.play"), 1, "plays")
  expect_eq(#host.find("var.set", "time"), 0, "position writes")
  expect_eq(host.deactivated, 1, "deactivations")
  expect_eq(host.events[#host.events].name, "deactivate", "last call")
end)

case("descriptor lists the extension", function(s)
  local host = FakeVlc.new()
  local env = FakeVlc.load(folder .. "/" .. s.file, host)
  local d = env.descriptor()
  local expected = {
    title = s.descriptor.title, version = version, author = "Talvern",
    shortdesc = s.descriptor.shortdesc, description = s.descriptor.description,
  }
  for field, value in pairs(expected) do expect_eq(d[field], value, field) end
  expect_eq(type(d.url), "string", "url")
  if not (d.url:match("^http://.") or d.url:match("^https://.")) then fail("url %q is no http URL", d.url) end
  expect_eq(type(d.capabilities), "table", "capabilities")
  expect_eq(#d.capabilities, 1, "number of capabilities")
  expect_eq(d.capabilities[1], "input-listener", "capability")
  local fields = 0
  for _ in pairs(d) do fields = fields + 1 end
  expect_eq(fields, 7, "number of descriptor fields")
  expect_eq(#host.events, 0, "host calls while describing")
end)

case("only descriptor, activate and deactivate are callbacks; deactivate does nothing", function(s)
  local host = FakeVlc.new({ playing = true })
  local env = FakeVlc.load(folder .. "/" .. s.file, host)
  for _, name in ipairs({ "descriptor", "activate", "deactivate", "sleep" }) do
    expect_eq(type(env[name]), "function", name)
  end
  for _, name in ipairs({ "input_changed", "meta_changed", "close", "menu", "trigger_menu" }) do
    expect_eq(env[name], nil, name)
  end
  env.deactivate()
  expect_eq(#host.events, 0, "host calls by deactivate")
  expect_eq(host.clock_reads, 0, "clock readings by deactivate")
end)

case("sleep busy-waits the given seconds", function(s)
  local host = FakeVlc.new()
  local env = FakeVlc.load(folder .. "/" .. s.file, host)
  for _, wait in ipairs({ 0.5, 0.2, "0.3" }) do
    local from = host.now
    env.sleep(wait)
    expect_near(host.now - from, tonumber(wait), "sleep(" .. tostring(wait) .. ")")
  end
end)

print(string.format("%s: %d cases, %d failed", _VERSION, cases, failures))
os.exit(failures == 0 and 0 or 1)
