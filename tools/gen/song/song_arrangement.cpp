#include "tools/gen/song/song_arrangement.h"

#include <algorithm>

namespace {

double playStart(const SongSection& section, const SongPlay& play) {
    const double length = section.endBeat - section.startBeat;
    return section.startBeat + (play.fromBeat < 0 ? length + play.fromBeat : play.fromBeat);
}

double playEnd(const SongSection& section, const SongPlay& play) {
    const double length = section.endBeat - section.startBeat;
    if (!play.toSet) return section.endBeat;
    return section.startBeat + (play.toBeat <= 0 ? length + play.toBeat : play.toBeat);
}

// The instrument's settings at a beat of a section, ramps applied.
SongParams settingsAt(const SongSection& section, const SongInstrument& instrument, double beat) {
    SongParams params = instrument.params;
    const double progress = (beat - section.startBeat) / (section.endBeat - section.startBeat);
    for (const SongRamp& ramp : section.ramps)
        if (ramp.instrument == instrument.name)
            params[ramp.param] = ramp.from + (ramp.to - ramp.from) * static_cast<float>(progress);
    return params;
}

// Steps held after the one at index (wrapping around the pattern).
int holdsAfter(const SongPattern& pattern, std::size_t index) {
    int holds = 0;
    const std::size_t count = pattern.steps.size();
    for (std::size_t next = index + 1; holds < static_cast<int>(count) - 1; ++next) {
        if (pattern.steps[next % count].kind != SongStep::Kind::Hold) break;
        ++holds;
    }
    return holds;
}

void addPlay(const SongScore& score, const SongSection& section, const SongPlay& play,
             const SongInstrument& instrument, std::vector<SongNote>& notes) {
    const SongPattern& pattern = *score.findPattern(play.pattern);
    const double start = playStart(section, play), end = playEnd(section, play);
    const double stepBeats = 1.0 / pattern.stepsPerBeat;
    const double secondsPerBeat = score.secondsPerBeat();
    for (double loop = start; loop < end; loop += pattern.lengthBeats()) {
        for (std::size_t i = 0; i < pattern.steps.size(); ++i) {
            const SongStep& step = pattern.steps[i];
            const double beat = loop + i * stepBeats;
            if (beat >= end) break;
            if (step.kind != SongStep::Kind::Hit) continue;
            const double gateBeats = std::min((1 + holdsAfter(pattern, i)) * stepBeats, end - beat);
            SongNote note;
            note.startSeconds = beat * secondsPerBeat;
            note.gateSeconds = gateBeats * secondsPerBeat;
            note.velocity = step.velocity * play.gain;
            note.params = settingsAt(section, instrument, beat);
            if (step.notes.empty()) {
                notes.push_back(note);
                continue;
            }
            for (int pitch : step.notes) {
                note.note = std::clamp(pitch + play.transpose, 0, 127);
                notes.push_back(note);
            }
        }
    }
}

}  // namespace

std::vector<SongNote> arrangeNotes(const SongScore& score, const std::string& instrument) {
    std::vector<SongNote> notes;
    const SongInstrument* found = score.findInstrument(instrument);
    if (!found) return notes;
    for (const SongSection& section : score.sections)
        for (const SongPlay& play : section.plays)
            if (play.instrument == instrument) addPlay(score, section, play, *found, notes);
    std::stable_sort(notes.begin(), notes.end(),
                     [](const SongNote& a, const SongNote& b) { return a.startSeconds < b.startSeconds; });
    return notes;
}

std::vector<SongLevelRamp> arrangeLevels(const SongScore& score, const std::string& instrument) {
    std::vector<SongLevelRamp> ramps;
    for (const SongSection& section : score.sections)
        for (const SongRamp& ramp : section.ramps)
            if (ramp.instrument == instrument && ramp.param == "level")
                ramps.push_back({section.startBeat * score.secondsPerBeat(), section.endBeat * score.secondsPerBeat(),
                                 ramp.from, ramp.to});
    std::stable_sort(ramps.begin(), ramps.end(),
                     [](const SongLevelRamp& a, const SongLevelRamp& b) { return a.startSeconds < b.startSeconds; });
    return ramps;
}
