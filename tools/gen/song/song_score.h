#pragma once
// The song's score as data: instruments, step patterns, the arrangement in
// sections and the mix. It is read from a text file a musician can edit
// (tools/gen/data/score.txt documents the format at its top).
#include <cstdint>
#include <string>
#include <vector>

#include "tools/gen/song/song_defaults.h"

struct SongInstrument {
    std::string name;
    std::string kind;   // which voice plays it: kick, snare, clap, hat, riser, bass, pad, lead, pluck, bell
    SongParams params;  // every setting of the kind, defaults filled in
};

struct SongStep {
    enum class Kind { Rest, Hold, Hit };
    Kind kind = Kind::Rest;
    std::vector<int> notes;  // MIDI notes of a hit; empty for a drum hit
    float velocity = 0.0f;
};

struct SongPattern {
    std::string name;
    int stepsPerBeat = 4;
    std::vector<SongStep> steps;
    double lengthBeats() const { return static_cast<double>(steps.size()) / stepsPerBeat; }
};

// One pattern played by one instrument over part of a section, looped.
struct SongPlay {
    int line = 0;
    std::string instrument;
    std::string pattern;
    double fromBeat = 0.0;  // relative to the section's start; negative counts from its end
    double toBeat = 0.0;    // likewise; 0 with toSet false means the section's end
    bool toSet = false;
    int transpose = 0;
    float gain = 1.0f;
};

// A setting of an instrument moving linearly across a section. "level"
// scales the track's output continuously; any other setting is read at
// the start of each note.
struct SongRamp {
    std::string instrument;
    std::string param;
    float from = 0.0f;
    float to = 0.0f;
};

struct SongSection {
    std::string name;
    double startBeat = 0.0;
    double endBeat = 0.0;
    std::vector<SongPlay> plays;
    std::vector<SongRamp> ramps;
};

struct SongScore {
    double tempo = 120.0;
    double lengthSeconds = 0.0;
    double fadeStartSeconds = 0.0;
    std::uint64_t seed = 1;
    std::vector<SongInstrument> instruments;
    std::vector<SongPattern> patterns;
    std::vector<SongSection> sections;
    std::vector<std::string> sidechainSources;  // instruments whose hits duck the others
    SongParams sidechain;
    SongParams reverb;
    SongParams delay;
    SongParams master;

    double secondsPerBeat() const { return 60.0 / tempo; }
    const SongInstrument* findInstrument(const std::string& name) const;
    const SongPattern* findPattern(const std::string& name) const;
};

// Parses a score. On failure returns false and sets error to a message
// naming the line and the problem; score is then unspecified.
bool parseScore(const std::string& text, SongScore& score, std::string& error);

// Reads and parses a score file.
bool loadScore(const std::string& path, SongScore& score, std::string& error);

// MIDI note of a name like "a4", "c#3" or "eb2"; -1 if it is not one.
int parseNoteName(const std::string& name);
