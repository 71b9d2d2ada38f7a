#include "tools/gen/song/song_score.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tools/gen/song/song_defaults.h"

const SongInstrument* SongScore::findInstrument(const std::string& name) const {
    for (const SongInstrument& instrument : instruments)
        if (instrument.name == name) return &instrument;
    return nullptr;
}

const SongPattern* SongScore::findPattern(const std::string& name) const {
    for (const SongPattern& pattern : patterns)
        if (pattern.name == name) return &pattern;
    return nullptr;
}

int parseNoteName(const std::string& name) {
    static const int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    if (name.size() < 2 || name[0] < 'a' || name[0] > 'g') return -1;
    int semitone = kSemitones[name[0] - 'a'];
    std::size_t at = 1;
    if (name[at] == '#') ++semitone, ++at;
    else if (name[at] == 'b' && at + 1 < name.size()) --semitone, ++at;
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '8') return -1;
    const int octave = name[at] - '0';
    return (octave + 1) * 12 + semitone;
}

namespace {

struct Parser {
    SongScore& score;
    std::string& error;
    int line = 0;
    // Steps on "|" lines continue the pattern just defined; play and ramp
    // lines belong to the section just opened.
    bool patternOpen = false;
    bool sectionOpen = false;

    bool fail(const std::string& message) {
        error = "score line " + std::to_string(line) + ": " + message;
        return false;
    }

    static bool toNumber(const std::string& text, double& value) {
        if (text.empty()) return false;
        char* end = nullptr;
        errno = 0;
        value = std::strtod(text.c_str(), &end);
        return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
    }

    bool number(const std::string& text, double& value) {
        if (!toNumber(text, value)) return fail("'" + text + "' is not a number");
        return true;
    }

    // key=value words into params, each key one the defaults know.
    bool settings(const std::vector<std::string>& words, std::size_t first, SongParams& params,
                  const std::string& owner) {
        for (std::size_t i = first; i < words.size(); ++i) {
            const std::size_t equals = words[i].find('=');
            if (equals == std::string::npos) return fail("expected key=value, got '" + words[i] + "'");
            const std::string key = words[i].substr(0, equals);
            if (!params.count(key)) return fail(owner + " has no setting '" + key + "'");
            double value = 0.0;
            if (!number(words[i].substr(equals + 1), value)) return false;
            params[key] = static_cast<float>(value);
        }
        return true;
    }

    bool step(const std::string& token, SongStep& step) {
        if (token == ".") return true;
        if (token == "-") {
            step.kind = SongStep::Kind::Hold;
            return true;
        }
        step.kind = SongStep::Kind::Hit;
        if (token == "x" || token == "X" || token == "o") {
            step.velocity = token == "X" ? 1.0f : token == "x" ? 0.8f : 0.45f;
            return true;
        }
        std::string notes = token;
        step.velocity = 0.8f;
        if (notes.back() == '!') step.velocity = 1.0f, notes.pop_back();
        else if (notes.back() == '?') step.velocity = 0.45f, notes.pop_back();
        std::size_t start = 0;
        while (start <= notes.size()) {
            std::size_t plus = notes.find('+', start);
            if (plus == std::string::npos) plus = notes.size();
            const int note = parseNoteName(notes.substr(start, plus - start));
            if (note < 0) return fail("'" + token + "' is not a step (., -, x, X, o or notes like c#3+e3)");
            step.notes.push_back(note);
            start = plus + 1;
        }
        return true;
    }

    bool steps(const std::vector<std::string>& words, std::size_t first) {
        for (std::size_t i = first; i < words.size(); ++i) {
            if (words[i] == "|") continue;
            SongStep parsed;
            if (!step(words[i], parsed)) return false;
            std::vector<SongStep>& into = score.patterns.back().steps;
            if (parsed.kind == SongStep::Kind::Hold && into.empty())
                return fail("a pattern cannot start with a hold");
            into.push_back(parsed);
        }
        return true;
    }

    bool song(const std::vector<std::string>& words) {
        // The seed is a whole number too large for a float setting.
        std::vector<std::string> rest;
        for (std::size_t i = 1; i < words.size(); ++i) {
            if (words[i].rfind("seed=", 0) != 0) {
                rest.push_back(words[i]);
                continue;
            }
            const std::string digits = words[i].substr(5);
            char* end = nullptr;
            errno = 0;
            score.seed = std::strtoull(digits.c_str(), &end, 10);
            if (digits.empty() || digits[0] == '-' || errno != 0 || end != digits.c_str() + digits.size())
                return fail("seed must be a whole number, got '" + digits + "'");
        }
        SongParams params{{"length", 0.0f}, {"fade", 0.0f}, {"tempo", 120.0f}};
        rest.insert(rest.begin(), words[0]);
        if (!settings(rest, 1, params, "song")) return false;
        if (params["tempo"] < 20.0f || params["tempo"] > 400.0f) return fail("tempo out of range");
        if (params["length"] <= 0.0f || params["length"] > 1200.0f) return fail("length out of range");
        if (params["fade"] < 0.0f || params["fade"] > params["length"]) return fail("fade must lie within the length");
        score.tempo = params["tempo"];
        score.lengthSeconds = params["length"];
        score.fadeStartSeconds = params["fade"];
        return true;
    }

    bool instrument(const std::vector<std::string>& words) {
        if (words.size() < 3) return fail("instrument needs a name and a kind");
        if (score.findInstrument(words[1])) return fail("instrument '" + words[1] + "' defined twice");
        const SongParams* defaults = voiceDefaults(words[2]);
        if (!defaults) return fail("unknown instrument kind '" + words[2] + "'");
        SongInstrument made{words[1], words[2], *defaults};
        if (!settings(words, 3, made.params, "instrument kind '" + words[2] + "'")) return false;
        score.instruments.push_back(made);
        return true;
    }

    bool pattern(const std::vector<std::string>& words) {
        if (words.size() < 3) return fail("pattern needs a name and steps per beat");
        if (score.findPattern(words[1])) return fail("pattern '" + words[1] + "' defined twice");
        double perBeat = 0.0;
        if (!number(words[2], perBeat)) return false;
        if (perBeat < 1 || perBeat > 16 || perBeat != static_cast<int>(perBeat))
            return fail("steps per beat must be a whole number from 1 to 16");
        score.patterns.push_back({words[1], static_cast<int>(perBeat), {}});
        patternOpen = true;
        return steps(words, 3);
    }

    bool section(const std::vector<std::string>& words) {
        if (words.size() != 4) return fail("section needs a name, a start beat and an end beat");
        double start = 0.0, end = 0.0;
        if (!number(words[2], start) || !number(words[3], end)) return false;
        if (start < 0 || end <= start) return fail("a section must end after it starts");
        if (score.lengthSeconds <= 0.0) return fail("the 'song' line must come before the sections");
        if (start * score.secondsPerBeat() >= score.lengthSeconds || end * score.secondsPerBeat() > 2.0 * score.lengthSeconds)
            return fail("section lies beyond the song's end");
        score.sections.push_back({words[1], start, end, {}, {}});
        sectionOpen = true;
        return true;
    }

    bool play(const std::vector<std::string>& words) {
        if (!sectionOpen) return fail("play outside a section");
        SongSection& into = score.sections.back();
        if (words.size() < 3 || words.size() % 2 != 1) return fail("play needs an instrument, a pattern and option pairs");
        SongPlay made;
        made.line = line;
        made.instrument = words[1];
        made.pattern = words[2];
        if (!score.findInstrument(made.instrument)) return fail("unknown instrument '" + made.instrument + "'");
        const SongPattern* pattern = score.findPattern(made.pattern);
        if (!pattern) return fail("unknown pattern '" + made.pattern + "'");
        if (voiceIsPitched(score.findInstrument(made.instrument)->kind))
            for (const SongStep& step : pattern->steps)
                if (step.kind == SongStep::Kind::Hit && step.notes.empty())
                    return fail("pattern '" + made.pattern + "' has hits without notes for '" + made.instrument + "'");
        for (std::size_t i = 3; i < words.size(); i += 2) {
            double value = 0.0;
            if (!number(words[i + 1], value)) return false;
            if (words[i] == "from") made.fromBeat = value;
            else if (words[i] == "to") made.toBeat = value, made.toSet = true;
            else if (words[i] == "transpose" && std::fabs(value) <= 127) made.transpose = static_cast<int>(value);
            else if (words[i] == "gain") made.gain = static_cast<float>(value);
            else if (words[i] == "transpose") return fail("transpose must lie within -127..127");
            else return fail("play has no option '" + words[i] + "' (from, to, transpose, gain)");
        }
        const double length = into.endBeat - into.startBeat;
        const double from = made.fromBeat < 0 ? length + made.fromBeat : made.fromBeat;
        const double to = !made.toSet ? length : made.toBeat <= 0 ? length + made.toBeat : made.toBeat;
        if (from < 0 || to > length || to <= from) return fail("play range lies outside its section");
        into.plays.push_back(made);
        return true;
    }

    bool ramp(const std::vector<std::string>& words) {
        if (!sectionOpen) return fail("ramp outside a section");
        if (words.size() != 5) return fail("ramp needs an instrument, a setting, a start and an end value");
        const SongInstrument* target = score.findInstrument(words[1]);
        if (!target) return fail("unknown instrument '" + words[1] + "'");
        if (!target->params.count(words[2])) return fail("instrument '" + words[1] + "' has no setting '" + words[2] + "'");
        double from = 0.0, to = 0.0;
        if (!number(words[3], from) || !number(words[4], to)) return false;
        score.sections.back().ramps.push_back({words[1], words[2], static_cast<float>(from), static_cast<float>(to)});
        return true;
    }

    bool sidechain(const std::vector<std::string>& words) {
        std::size_t at = 1;
        for (; at < words.size() && words[at].find('=') == std::string::npos; ++at) {
            if (!score.findInstrument(words[at])) return fail("unknown instrument '" + words[at] + "'");
            score.sidechainSources.push_back(words[at]);
        }
        if (score.sidechainSources.empty()) return fail("sidechain needs at least one instrument");
        return settings(words, at, score.sidechain, "sidechain");
    }

    bool dispatch(const std::vector<std::string>& words) {
        const std::string& keyword = words[0];
        if (keyword == "|") {
            if (!patternOpen) return fail("pattern steps without a pattern");
            return steps(words, 1);
        }
        patternOpen = false;
        if (keyword != "play" && keyword != "ramp") sectionOpen = false;
        if (keyword == "song") return song(words);
        if (keyword == "instrument") return instrument(words);
        if (keyword == "pattern") return pattern(words);
        if (keyword == "section") return section(words);
        if (keyword == "play") return play(words);
        if (keyword == "ramp") return ramp(words);
        if (keyword == "sidechain") return sidechain(words);
        if (keyword == "reverb") return settings(words, 1, score.reverb, "reverb");
        if (keyword == "delay") return settings(words, 1, score.delay, "delay");
        if (keyword == "master") return settings(words, 1, score.master, "master");
        return fail("unknown keyword '" + keyword + "'");
    }

    bool finish() {
        if (score.lengthSeconds <= 0.0) return fail("the score has no 'song length=...' line");
        for (const SongPattern& made : score.patterns)
            if (made.steps.empty()) return fail("pattern '" + made.name + "' has no steps");
        return true;
    }
};

// A comment starts at a '#' that begins a word, so "c#3" stays a note.
std::string withoutComment(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) return line.substr(0, i);
    return line;
}

std::vector<std::string> splitWords(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream stream(text);
    std::string word;
    while (stream >> word) words.push_back(word);
    return words;
}

}  // namespace

bool parseScore(const std::string& text, SongScore& score, std::string& error) {
    score = SongScore{};
    score.sidechain = sidechainDefaults();
    score.reverb = reverbDefaults();
    score.delay = delayDefaults();
    score.master = masterDefaults();
    Parser parser{score, error};
    std::istringstream lines(text);
    std::string raw;
    while (std::getline(lines, raw)) {
        ++parser.line;
        const std::vector<std::string> words = splitWords(withoutComment(raw));
        if (words.empty()) continue;
        if (!parser.dispatch(words)) return false;
    }
    return parser.finish();
}

bool loadScore(const std::string& path, SongScore& score, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    return parseScore(text.str(), score, error);
}
