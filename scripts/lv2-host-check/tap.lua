ardour {
	["type"]    = "dsp",
	name        = "LV2 Check Tap",
	category    = "Utility",
	license     = "MIT",
	author      = "Tovarine",
	description = [[Passes stereo audio on and, while the transport rolls,
sums what passes for lv2-host-check: frames, sum of squares, peak.]]
}

function dsp_ioconfig ()
	return { { audio_in = 2, audio_out = 2 } }
end

function dsp_init (rate)
	self:shmem ():allocate (4)
	self:shmem ():clear ()
end

function dsp_run (ins, outs, n_samples)
	for c = 1, 2 do
		if ins[c] ~= outs[c] then ARDOUR.DSP.copy_vector (outs[c], ins[c], n_samples) end
	end
	if not Session:transport_rolling () then return end
	local sums = self:shmem ():to_float (0):array ()
	local sq, peak = sums[2], sums[3]
	for c = 1, 2 do
		local a = ins[c]:get_table (n_samples)
		for i = 1, n_samples do
			local v = a[i]
			sq = sq + v * v
			if math.abs (v) > peak then peak = math.abs (v) end
		end
	end
	sums[1], sums[2], sums[3] = sums[1] + n_samples, sq, peak
end
