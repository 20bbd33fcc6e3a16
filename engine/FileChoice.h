// The files the engine's commands ask the user for.
#pragma once

enum class FileChoice { TuningMap, ImpulseResponse };
