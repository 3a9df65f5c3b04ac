-- Turnix-90° 0.0.1 VLC Extension             --
-- Rotate a video counter-clockwise by 90°    --

-- Busy-waits a seconds
function sleep(a)
 local sec = tonumber(os.clock() + a)
 while os.clock() < sec do
 end
end

-- Shown in the View menu
function descriptor()
 return {
  title = "Turnix -90°",
  version = "0.0.1",
  author = "Talvern",
  url = "http://talvern.example",
  shortdesc = "Rotate video by 90° counter-clockwise",
  description = "Turnix-90°.lua = rotate a video by 90° counter-clockwise, " ..
         "Turnix+90°.lua = rotate a video by 90° clockwise.",
  capabilities = { "input-listener" }
 }
end

function activate()
 -- Save current time and stop the video
 local rotated = vlc.config.get("video-filter") -- "invert:transform", "transform" or nil
 local angle = vlc.config.get("transform-type") -- 90, 180, 270, hflip...
 local video = vlc.object.input()
 local stamp = nil
 if video ~= nil then
  stamp = vlc.var.get(video, "time")
  vlc.playlist.stop()
  sleep(0.5)
 end

 -- Do the rotation
 --vlc.msg.dbg("[Turnix 90°] filter: " .. tostring(rotated))
 --vlc.msg.dbg("[Turnix 90°] angle: " .. tostring(angle))
 -- Only the item "transform" is ours: the user's own filters stay, in their order
 local filters = rotated or ""
 local turned = (":" .. filters .. ":"):find(":transform:", 1, true)
 local appended = filters == "" and "transform" or filters .. ":transform"
 -- Every item in colons of its own: removing one must not take a neighbour's colon
 local others = (":" .. filters:gsub(":", "::") .. ":"):gsub(":transform:", "")
 others = others:sub(2, -2):gsub("::", ":")
 if not turned or tonumber(angle) == nil then
  vlc.config.set("transform-type", "270")
  vlc.config.set("video-filter", turned and rotated or appended)
 elseif tostring(angle) == "90" then
  vlc.config.set("transform-type", "hflip") -- works but unacceptable workaround
  vlc.config.set("video-filter", others) -- doesn't seem to work?
 else
  vlc.config.set("transform-type", tostring((270+angle) % 360))
  vlc.config.set("video-filter", rotated)
 end
 --vlc.msg.dbg("[Turnix 90°] new filter: " .. vlc.config.get("video-filter"))
 --vlc.msg.dbg("[Turnix 90°] new angle: " .. vlc.config.get("transform-type"))

 -- Apply the change to the running session too
 local playlist = vlc.object.playlist()
 if vlc.var.get(playlist, "transform-type") then
  vlc.var.set(playlist, "transform-type", vlc.config.get("transform-type"))
 end
 vlc.var.set(playlist, "video-filter", vlc.config.get("video-filter") or "")

 -- Set previous time back and resume the video
 if video ~= nil then
  sleep(0.5)
  vlc.playlist.play()
  sleep(0.2)
  video = vlc.object.input() -- nil while a slow source is not back yet
 end
 if stamp ~= nil and video ~= nil then
  vlc.var.set(video, "time", stamp)
 end
 vlc.deactivate()
end

-- Nothing to undo: activate ends itself
function deactivate()
end
