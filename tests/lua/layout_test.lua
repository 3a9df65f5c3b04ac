-- Bytes of the two extension scripts, their url against the program's link, and their mirroring.
-- Usage: lua5.x layout_test.lua <scripts folder> <app/AuthorPage.h>

local folder = assert(arg[1], "usage: layout_test.lua <scripts folder> <AuthorPage.h>")
local author_page = assert(arg[2], "usage: layout_test.lua <scripts folder> <AuthorPage.h>")

local DEG = "\194\176"
local CRLF = "\r\n"
local FILES = { "turnix-cw.lua", "turnix-ccw.lua" }

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

local function line_of(data, at)
  return select(2, data:sub(1, at - 1):gsub("\n", "")) + 1
end

local url = read(author_page):match('AuthorWebPage%[%]%s*=%s*"([^"]*)"')
check(url ~= nil, "AuthorWebPage not found in %s", author_page)
url = url or ""
check(url:match("^https?://[%w.-]+") ~= nil, "the author's page %q is no http URL", url)

local texts = {}
for _, file in ipairs(FILES) do
  local data = read(folder .. "/" .. file)
  texts[file] = data
  local where = file .. ": "

  -- VLC reads the file as UTF-8: a byte-order mark, a Latin-1 degree sign or any other
  -- non-ASCII character would reach the View menu garbled.
  local stray = data:gsub(DEG, ".."):find("[\128-\255]")
  check(not stray, where .. "line %d holds a byte-order mark or a non-ASCII character other than the "
        .. "UTF-8 degree sign", stray and line_of(data, stray) or 0)
  local bare = data:gsub(CRLF, ".."):find("[\r\n]")
  check(not bare, where .. "line %d ends in a bare CR or LF", bare and line_of(data, bare) or 0)

  local script_url = data:match('\n%s*url%s*=%s*"([^"]*)"')
  check(script_url == url, where .. "url %q differs from the program's %q", tostring(script_url), url)
end

-- Apart from the listed differences the two scripts are the same, byte for byte. The header box is
-- padded to its own text, and a line end after the last line means nothing to VLC.
local function replace(text, from, to)
  local at = text:find(from, 1, true)
  check(at ~= nil and not text:find(from, at + 1, true), "turnix-cw.lua: %q is not there exactly once", from)
  if not at then return text end
  return text:sub(1, at - 1) .. to .. text:sub(at + #from)
end
local function head_and_body(file)
  local head, body = texts[file]:match("^([^\r\n]*\r\n[^\r\n]*\r\n)(.*)$")
  if not check(head, "%s: no two header lines", file) then return "", texts[file] end
  return (head:gsub(" +%-%-\r\n", " --\r\n")), (body:gsub(CRLF .. "$", ""))
end
local function first_difference(a, b)
  local at = 1
  while at <= #a and a:byte(at) == b:byte(at) do at = at + 1 end
  return line_of(b, at)
end
local cw_head, cw_body = head_and_body("turnix-cw.lua")
local ccw_head, ccw_body = head_and_body("turnix-ccw.lua")

local head = replace(cw_head, "Turnix+90" .. DEG, "Turnix-90" .. DEG)
head = replace(head, "clockwise", "counter-clockwise")
check(head == ccw_head, "the scripts' headers differ in more than name and direction, from line %d",
      first_difference(head, ccw_head))

local body = replace(cw_body, 'title = "Turnix +90' .. DEG .. '"', 'title = "Turnix -90' .. DEG .. '"')
body = replace(body, "Rotate video by 90" .. DEG .. " clockwise", "Rotate video by 90" .. DEG .. " counter-clockwise")
body = replace(body, '"Turnix+90' .. DEG .. '.lua = rotate a video by 90' .. DEG .. ' clockwise, "',
                     '"Turnix-90' .. DEG .. '.lua = rotate a video by 90' .. DEG .. ' counter-clockwise, "')
body = replace(body, '"Turnix-90' .. DEG .. '.lua = rotate a video by 90' .. DEG .. ' counter-clockwise."',
                     '"Turnix+90' .. DEG .. '.lua = rotate a video by 90' .. DEG .. ' clockwise."')
body = replace(body, 'vlc.config.set("transform-type", "90")', 'vlc.config.set("transform-type", "270")')
body = replace(body, 'tostring(angle) == "270"', 'tostring(angle) == "90"')
body = replace(body, "tostring((90+angle) % 360)", "tostring((270+angle) % 360)")
check(body == ccw_body, "the scripts differ in more than the listed items, from line %d",
      first_difference(body, ccw_body) + 2)

print(string.format("%s: %d layout checks, %d failed", _VERSION, checks, failures))
os.exit(failures == 0 and 0 or 1)
