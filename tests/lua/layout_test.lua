-- Byte-level layout of the two extension scripts, and their url against the program's link.
-- Usage: lua5.x layout_test.lua <scripts folder> <app/AuthorPage.h>

local folder = assert(arg[1], "usage: layout_test.lua <scripts folder> <AuthorPage.h>")
local author_page = assert(arg[2], "usage: layout_test.lua <scripts folder> <AuthorPage.h>")

local DEG = "\194\176"
local CRLF = "\r\n"
local URL_LENGTH_OF_SIZES = 22   -- the sizes below hold a url of this length

local SCRIPTS = {
  { file = "turnix-cw.lua", name = "Turnix+90" .. DEG, width = 40, size = 2942, line_ends = 81,
    header = "Rotate a video clockwise by 90" .. DEG },
  { file = "turnix-ccw.lua", name = "Turnix-90" .. DEG, width = 48, size = 2969, line_ends = 82,
    header = "Rotate a video counter-clockwise by 90" .. DEG },
}
local LINES = 82
local PHASES = { "Save current time and stop the video", "Do the rotation",
                 "Apply the change to the running session too",
                 "Set previous time back and resume the video" }
local SESSION_PHASE = {
  " -- Apply the change to the running session too",
  " local playlist = vlc.object.playlist()",
  ' if vlc.var.get(playlist, "transform-type") then',
  '  vlc.var.set(playlist, "transform-type", vlc.config.get("transform-type"))',
  " end",
  ' vlc.var.set(playlist, "video-filter", vlc.config.get("video-filter") or "")',
}

local checks, failures = 0, 0
local function check(ok, fmt, ...)
  checks = checks + 1
  if not ok then
    failures = failures + 1
    io.stderr:write("FAIL " .. string.format(fmt, ...) .. "\n")
  end
  return ok
end

local function read(path)
  local f = assert(io.open(path, "rb"))
  local data = f:read("*a")
  f:close()
  return data
end

local function count(text, plain)
  local n, from = 0, 1
  while true do
    local at = text:find(plain, from, true)
    if not at then return n end
    n, from = n + 1, at + #plain
  end
end

local function split_lines(data)
  local lines, from = {}, 1
  while true do
    local at = data:find(CRLF, from, true)
    if not at then
      if from <= #data then lines[#lines + 1] = data:sub(from) end
      return lines
    end
    lines[#lines + 1] = data:sub(from, at - 1)
    from = at + 2
  end
end

-- Characters, not bytes: UTF-8 continuation bytes do not count.
local function width(line)
  return #line:gsub("[\128-\191]", "")
end

-- A line that is missing gives nil, and a search from a missing line (index 0) starts at the top.
local function find_line(lines, plain, from)
  for i = math.max(from or 1, 1), #lines do
    if lines[i]:find(plain, 1, true) then return i end
  end
end

local function quoted_url(text, pattern)
  return text:match(pattern)
end

local url = quoted_url(read(author_page), 'AuthorWebPage%[%]%s*=%s*"([^"]*)"')
check(url ~= nil, "AuthorWebPage not found in %s", author_page)
url = url or ""
check(url:match("^https?://[%w.-]+") ~= nil, "the author's page %q is no http URL", url)

local texts = {}
for _, s in ipairs(SCRIPTS) do
  local data = read(folder .. "/" .. s.file)
  texts[s.file] = data
  local lines = split_lines(data)
  local where = s.file .. ": "

  -- Encoding and line ends.
  check(data:sub(1, 3) ~= "\239\187\191", where .. "starts with a byte-order mark")
  check(not data:find("\t", 1, true), where .. "holds a tab")
  local bare = data:gsub(CRLF, "")
  check(not bare:find("[\r\n]"), where .. "holds a line end other than CR LF")
  check(count(data, CRLF) == s.line_ends, where .. "%d line ends, expected %d", count(data, CRLF), s.line_ends)
  check(#lines == LINES, where .. "%d lines, expected %d", #lines, LINES)
  check(lines[#lines] == "end", where .. "last line is %q", tostring(lines[#lines]))
  local tail = s.line_ends == LINES and "\r\nend\r\n" or "\r\nend"
  check(data:sub(-#tail) == tail, where .. "does not end in %q", tail)
  check(count(data, DEG) == 12, where .. "%d degree signs, expected 12", count(data, DEG))
  check(not data:gsub(DEG, ""):find("[\128-\255]"), where .. "holds a non-ASCII character other than the degree sign")

  -- Size: the stated size, moved by the url's difference in length.
  local script_url = quoted_url(data, '\n  url = "([^"]*)",\r\n') or ""
  check(script_url == url, where .. "url %q differs from the program's %q", script_url, url)
  local size = s.size + #script_url - URL_LENGTH_OF_SIZES
  check(#data == size, where .. "%d bytes, expected %d", #data, size)

  -- The header box.
  for i = 1, 2 do
    local line = lines[i] or ""
    check(line:sub(1, 2) == "--" and line:sub(-2) == "--" and width(line) == s.width,
          where .. "header line %d %q is no box line %d wide", i, line, s.width)
  end
  local first = lines[1] or ""
  check(first:find(s.name, 1, true) and first:find(" 0.0.1 ", 1, true) and first:find("VLC Extension", 1, true),
        where .. "header line 1 %q lacks name, version or \"VLC Extension\"", first)
  check((lines[2] or ""):match("^%-%-%s*(.-)%s*%-%-$") == s.header, where .. "header line 2 is %q", tostring(lines[2]))

  -- Indentation: one blank per level, nine for the description's continuation.
  for i, line in ipairs(lines) do
    local indent = #line:match("^ *")
    local continuation = i > 1 and lines[i - 1]:find("^  description = .*%.%.$") ~= nil
    check(indent == 0 or indent == 1 or indent == 2 or (indent == 9 and continuation),
          where .. "line %d indented by %d: %q", i, indent, line)
    check(indent ~= 9 or not continuation or line:find("^         \"") ~= nil,
          where .. "line %d does not continue the description", i)
  end
  local description = find_line(lines, "  description = ")
  check(description and (lines[description + 1] or ""):sub(1, 10) == "         \"",
        where .. "the description has no continuation line indented by nine blanks")

  -- Empty lines only between sections and between the phases of activate.
  local empties, phase = 0, 1
  for i, line in ipairs(lines) do
    if line == "" then
      empties = empties + 1
      local after = lines[i + 1] or ""
      local section = after:find("^function ") or after:find("^%-%- ")
      local heading = after:match("^ %-%- (.*)$")
      if heading then
        phase = phase + 1
        check(heading == PHASES[phase], where .. "line %d heads the phase %q, expected %q", i + 1, heading, tostring(PHASES[phase]))
      else
        check(section, where .. "empty line %d is followed by %q", i, after)
      end
    end
  end
  check(empties == 7, where .. "%d empty lines, expected 7", empties)
  local activate = find_line(lines, "function activate()") or 0
  check(lines[activate + 1] == " -- " .. PHASES[1], where .. "activate does not open with its first phase")
  check(phase == #PHASES, where .. "%d phases, expected %d", phase, #PHASES)

  -- Remarks, logging lines and the order of the descriptor's fields.
  local function remark(code, text)
    local i = find_line(lines, code)
    local comment = i and lines[i]:match("%)%s*%-%-%s*(.*)$")
    check(comment and comment:find(text, 1, true), where .. "no remark %q after %q", text, code)
  end
  remark('local rotated = vlc.config.get("video-filter")', '"transform" or nil')
  remark('local angle = vlc.config.get("transform-type")', "90, 180, 270, hflip...")
  remark('vlc.config.set("transform-type", "hflip")', "works but unacceptable workaround")
  remark('vlc.config.set("video-filter", others)', "doesn't seem to work?")

  local branch = find_line(lines, " if not turned ") or 0
  check(lines[branch] == " if not turned or tonumber(angle) == nil then",
        where .. "the start branch reads %q", tostring(lines[branch]))
  local branches_end = find_line(lines, " end", find_line(lines, " else", branch) or branch) or 0
  local before, after = 0, 0
  for i, line in ipairs(lines) do
    if line:find("^ *%-%-%s*vlc%.msg") then
      if i < branch and i > activate then before = before + 1
      elseif i > branches_end and i < (find_line(lines, PHASES[3]) or 0) then after = after + 1 end
    end
  end
  check(before == 2 and after == 2, where .. "%d logging lines before the change and %d after, expected 2 and 2", before, after)

  local session = find_line(lines, SESSION_PHASE[1]) or 0
  check(session == branches_end + 4, where .. "the session phase does not follow the logging lines after the change")
  for k, expected in ipairs(SESSION_PHASE) do
    check(lines[session + k - 1] == expected, where .. "session phase line %d is %q", k, tostring(lines[session + k - 1]))
  end

  local previous = 0
  for _, field in ipairs({ "title", "version", "author", "url", "shortdesc", "description", "capabilities" }) do
    local i = find_line(lines, "  " .. field .. " = ") or 0
    check(i > previous, where .. "descriptor field %s out of order", field)
    previous = i
  end
end

-- Apart from the listed differences the two scripts are the same, byte for byte.
local function replace(text, from, to)
  local at = text:find(from, 1, true)
  check(at ~= nil and not text:find(from, at + 1, true), "turnix-cw.lua: %q is not there exactly once", from)
  if not at then return text end
  return text:sub(1, at - 1) .. to .. text:sub(at + #from)
end
local cw, ccw = texts["turnix-cw.lua"], texts["turnix-ccw.lua"]
local cw_lines, ccw_lines = split_lines(cw), split_lines(ccw)
local mirrored = cw:sub(#cw_lines[1] + #cw_lines[2] + 5)
mirrored = replace(mirrored, 'title = "Turnix +90' .. DEG .. '"', 'title = "Turnix -90' .. DEG .. '"')
mirrored = replace(mirrored, "Rotate video by 90" .. DEG .. " clockwise", "Rotate video by 90" .. DEG .. " counter-clockwise")
mirrored = replace(mirrored,
  '"Turnix+90' .. DEG .. '.lua = rotate a video by 90' .. DEG .. ' clockwise, " ..\r\n' ..
  '         "Turnix-90' .. DEG .. '.lua = rotate a video by 90' .. DEG .. ' counter-clockwise."',
  '"Turnix-90' .. DEG .. '.lua = rotate a video by 90' .. DEG .. ' counter-clockwise, " ..\r\n' ..
  '         "Turnix+90' .. DEG .. '.lua = rotate a video by 90' .. DEG .. ' clockwise."')
mirrored = replace(mirrored, 'vlc.config.set("transform-type", "90")', 'vlc.config.set("transform-type", "270")')
mirrored = replace(mirrored, 'tostring(angle) == "270"', 'tostring(angle) == "90"')
mirrored = replace(mirrored, "tostring((90+angle) % 360)", "tostring((270+angle) % 360)")
mirrored = ccw_lines[1] .. CRLF .. (ccw_lines[2] or "") .. CRLF .. mirrored .. CRLF
check(mirrored == ccw, "the scripts differ in more than the listed items")

print(string.format("%s: %d layout checks, %d failed", _VERSION, checks, failures))
os.exit(failures == 0 and 0 or 1)
