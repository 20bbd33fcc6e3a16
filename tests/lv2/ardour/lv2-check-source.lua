ardour {
	["type"]    = "dsp",
	name        = "LV2 Check Source",
	category    = "Utility",
	license     = "MIT",
	author      = "Tovarine",
	description = [[Noise bursts (0.15 s a second) and the notes lv2-host-check
asks for, at the transport's position; silence while it stands still.]]
}

-- The notes, "sample status data1 data2;..." from the driver, parsed once.
local notes

function dsp_ioconfig ()
	return { { audio_in = 2, audio_out = 2, midi_out = 1 } }
end

local function parse_notes ()
	notes = {}
	for t, s, d1, d2 in (os.getenv ("LV2C_NOTES") or ""):gmatch ("(%d+) (%d+) (%d+) (%d+)") do
		notes[#notes + 1] = { tonumber (t), tonumber (s), tonumber (d1), tonumber (d2) }
	end
end

function dsp_run (ins, outs, n_samples)
	if not notes then parse_notes () end
	local rolling = Session:transport_rolling ()
	local pos = Session:transport_sample ()
	local rate = Session:nominal_sample_rate ()
	local left, right = outs[1]:array (), outs[2]:array ()
	for i = 1, n_samples do
		local p = pos + i - 1
		local v = 0
		if rolling and p % rate < 0.15 * rate then
			v = (((p * 1103515245 + 12345) & 0x7fffffff) / 0x7fffffff - 0.5) * 0.6
		end
		left[i], right[i] = v, -v
	end
	if not rolling then return end
	local k = 1
	for _, e in ipairs (notes) do
		if e[1] >= pos and e[1] < pos + n_samples then
			midiout[k] = { time = e[1] - pos + 1, data = { e[2], e[3], e[4] } }
			k = k + 1
		end
	end
end
