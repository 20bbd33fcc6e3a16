-- One step of lv2-host-check in Ardour's Lua session tool (one process per
-- step). LV2C_STEP "create": find the plug-in by its URI, make a session with
-- a stereo track [source -> plug-in -> tap], load a preset, set parameters,
-- play, save. "reopen": load that session, play, save again. Results go to
-- LV2C_WORK/STEP.tsv as "key<TAB>value" lines, flushed as they come.

local step, work, uri = os.getenv ("LV2C_STEP"), os.getenv ("LV2C_WORK"), os.getenv ("LV2C_URI")
local seconds = tonumber (os.getenv ("LV2C_SECONDS"))
local out = assert (io.open (work .. "/" .. step .. ".tsv", "w"))
local function put (key, value) out:write (key, "\t", tostring (value), "\n"); out:flush () end
local function fail (why) put ("fail", why); error (why, 0) end
local function now () return ARDOUR.LuaAPI.monotonic_time () / 1e6 end
local TRS = ARDOUR.TransportRequestSource.TRS_UI

local function wait_for (cond, limit)
	local t = now () + limit
	while not cond () do
		if now () > t then return false end
		ARDOUR.LuaAPI.usleep (5000)
	end
	return true
end

local function find_plugin (route)
	for i = 0, 16 do
		local p = route:nth_plugin (i)
		if p:isnil () then return nil end
		if p:to_insert ():plugin (0):unique_id () == uri then return p end
	end
end

-- One roll from 0 through source, [plug-in,] tap; the tap's sums as RMS and peak in dBFS.
local function play (track, name, processors, notes_text)
	local src = ARDOUR.LuaAPI.new_luaproc (Session, "LV2 Check Source")
	local tap = ARDOUR.LuaAPI.new_luaproc (Session, "LV2 Check Tap")
	if src:isnil () or tap:isnil () then fail ("the check's Lua processors are missing") end
	local notes = {}
	for t, status, d1, d2 in notes_text:gmatch ("(%d+) (%d+) (%d+) (%d+)") do
		for _, v in ipairs ({ t, status, d1, d2 }) do notes[#notes + 1] = tonumber (v) end
	end
	local shm = src:to_insert ():plugin (0):to_luaproc ():shmem ()
	shm:allocate (1 + #notes)
	local ints = shm:to_int (0):array ()
	ints[1] = #notes // 4
	for i, v in ipairs (notes) do ints[i + 1] = v end
	track:add_processor_by_index (src, 0, nil, true)
	track:add_processor_by_index (tap, processors + 1, nil, true)
	local sums = tap:to_insert ():plugin (0):to_luaproc ():shmem ():to_float (0):array ()
	local frames = seconds * Session:nominal_sample_rate ()
	Session:request_locate (0, false, ARDOUR.LocateTransportDisposition.MustStop, TRS)
	wait_for (function () return Session:transport_sample () == 0 end, 10)
	ARDOUR.LuaAPI.wait_for_process_callback (2, 2000)
	sums[1], sums[2], sums[3] = 0, 0, 0
	Session:request_roll (TRS)
	local done = wait_for (function () return sums[1] >= frames end, 60)
	Session:request_stop (false, false, TRS)
	wait_for (function () return Session:transport_stopped () end, 10)
	if not done then fail ("the transport did not roll " .. seconds .. " s") end
	local rms, peak = math.sqrt (sums[2] / (2 * sums[1])), sums[3]
	-- Ardour's Lua is built with -ffast-math: non-finite values are told by their bits.
	local bits = string.unpack ("<I4", string.pack ("<f", sums[2]))
	put (name .. "_finite", bits & 0x7f800000 ~= 0x7f800000 and "yes" or "no")
	put (name .. "_rms_db", string.format ("%.2f", rms > 0 and 20 * math.log (rms, 10) or -999))
	put (name .. "_peak_db", string.format ("%.2f", peak > 0 and 20 * math.log (peak, 10) or -999))
	track:remove_processor (src, nil, true)
	track:remove_processor (tap, nil, true)
end

local function put_parameters (pi, count)
	for i = 0, count - 1 do
		put ("param", string.format ("%d %.6f", i, ARDOUR.LuaAPI.get_processor_param (pi, i, true)))
	end
end

local backend = AudioEngine:set_backend ("None (Dummy)", "", "")
if backend:isnil () then fail ("no Dummy backend") end
backend:set_driver ("10x Speed")

local track, pi
if step == "create" then
	-- Ardour lists its plug-ins once a session exists.
	if not create_session (work .. "/session", "lv2check", 48000) then fail ("cannot create the session") end
	local scanned = ARDOUR.LuaAPI.new_plugin_info (uri, ARDOUR.PluginType.LV2)
	if scanned:isnil () then fail ("Ardour did not find " .. uri .. " on LV2_PATH") end
	put ("scan", string.format ("\"%s\" by \"%s\"", scanned.name, scanned.creator))
	Session:new_audio_track (2, 2, nil, 1, "lv2", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
	track = Session:route_by_name ("lv2")
	if track:isnil () then fail ("cannot add a stereo track") end
	play (track, "dry", 0, "")  -- the check's own source and tap, without the plug-in
	pi = ARDOUR.LuaAPI.new_plugin (Session, uri, ARDOUR.PluginType.LV2, "")
	if pi:isnil () then fail ("Ardour could not instantiate the plug-in") end
	if track:add_processor_by_index (pi, 0, nil, true) ~= 0 then fail ("Ardour refused to insert the plug-in") end
	local plugin = pi:to_insert ():plugin (0)
	local info = plugin:get_info ()
	put ("ports", string.format ("audio %d in %d out, MIDI %d in, %d parameters", info.n_inputs:n_audio (),
		info.n_outputs:n_audio (), info.n_inputs:n_midi (), plugin:parameter_count ()))
	local preset = plugin:preset_by_uri (os.getenv ("LV2C_PRESET"))
	if not preset or not plugin:load_preset (preset) then fail ("cannot load " .. os.getenv ("LV2C_PRESET")) end
	put ("preset", preset.label)
	for index, value in (os.getenv ("LV2C_PARAMS") or ""):gmatch ("(%d+)=([%d.]+)") do
		if not ARDOUR.LuaAPI.set_processor_param (pi, tonumber (index), tonumber (value)) then
			fail ("Ardour refused parameter " .. index)
		end
	end
else
	if not load_session (work .. "/session", "lv2check") then fail ("cannot reopen the session") end
	track = Session:route_by_name ("lv2")
	pi = not track:isnil () and find_plugin (track)
	if not pi then fail ("the plug-in is missing from the reopened session") end
end

if step == "create" then play (track, "quiet", 1, "") end  -- without the notes, which must be heard
play (track, "wet", 1, os.getenv ("LV2C_NOTES"))
put_parameters (pi, 43)  -- the control inputs come first
if Session:save_state ("", false, false, false, false, false) ~= 0 then fail ("cannot save the session") end
put ("saved", "yes")
pi, track = nil, nil
collectgarbage ()
close_session ()
put ("closed", "yes")
