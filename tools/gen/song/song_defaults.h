#pragma once
// Every setting the score can give, with its default: the settings of each
// instrument kind (the mix settings every track has included) and those of
// the score's "sidechain", "reverb", "delay" and "master" lines. The score
// fills what it does not say from here; the voices and the mixer then read
// the filled-in values, so a default is written down once.
#include <map>
#include <string>

// Named settings of an instrument or of an effect, e.g. "decay" -> 0.3.
using SongParams = std::map<std::string, float>;

// Every setting of a kind with its default (the mix settings level, pan,
// reverb, delay and duck included); null for an unknown kind.
const SongParams* voiceDefaults(const std::string& kind);

// Whether the kind plays the notes of its steps (drums ignore them).
bool voiceIsPitched(const std::string& kind);

// The settings of the score's "sidechain", "reverb", "delay" and "master"
// lines with their defaults.
SongParams sidechainDefaults();
SongParams reverbDefaults();
SongParams delayDefaults();
SongParams masterDefaults();
