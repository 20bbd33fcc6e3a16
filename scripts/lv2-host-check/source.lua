ardour {
	["type"]    = "dsp",
	name        = "LV2 Check Source",
	category    = "Utility",
	license     = "MIT",
	author      = "Tovarine",
	description = [[Noise bursts (0.15 s a second) and the notes lv2-host-check
asks for, at the transport's position; silence while it stands still.]]
}

-- The notes come in the shared memory, written before the processor joins
-- the track (DSP scripts have no os library): their count, then per note
-- sample, status, data1, data2.

function dsp_ioconfig ()
	return { { audio_in = 2, audio_out = 2, midi_out = 1 } }
end

function dsp_run (ins, outs, n_samples)
	local rolling = Session:transport_rolling ()
	local pos = Session:transport_sample ()
	local rate = Session:nominal_sample_rate ()
	local left, right = {}, {}
	for i = 1, n_samples do
		local p = pos + i - 1
		local v = 0
		if rolling and p % rate < 0.15 * rate then
			v = (((p * 1103515245 + 12345) & 0x7fffffff) / 0x7fffffff - 0.5) * 0.6
		end
		left[i], right[i] = v, -v
	end
	outs[1]:set_table (left, n_samples)
	outs[2]:set_table (right, n_samples)
	if not rolling then return end
	local notes = self:shmem ():to_int (0):array ()
	local k = 1
	for n = 0, notes[1] - 1 do
		local t = notes[2 + 4 * n]
		if t >= pos and t < pos + n_samples then
			midiout[k] = { time = t - pos + 1, data = { notes[3 + 4 * n], notes[4 + 4 * n], notes[5 + 4 * n] } }
			k = k + 1
		end
	end
end
