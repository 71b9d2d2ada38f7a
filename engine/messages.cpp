#include "engine/messages.h"

#include <cstdarg>
#include <cstdio>
#include <set>
#include <vector>

#include "engine/vrl.h"

namespace {

struct MessageLog {
    bool enabled = false;
    bool held = false;
    std::vector<std::string> waiting;
    std::set<std::string> said;  // by messagesWriteOnce
};

MessageLog& log() {
    static MessageLog instance;
    return instance;
}

}  // namespace

void messagesSetEnabled(bool on) { log().enabled = on; }

void messagesSetHeld(bool held) {
    log().held = held;
    if (!held) messagesFlush();
}

void messagesWrite(const std::string& text) {
    if (!log().enabled) return;
    if (log().held) {
        log().waiting.push_back(text);
        return;
    }
    std::fputs(text.c_str(), stderr);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stderr);
}

void messagesFlush() {
    std::vector<std::string> waiting;
    waiting.swap(log().waiting);
    const bool held = log().held;
    log().held = false;
    for (const std::string& text : waiting) messagesWrite(text);
    log().held = held;
}

void messagesWriteOnce(const std::string& text) {
    // Only what was really said counts: with logging off, nothing is used up.
    if (!log().enabled || !log().said.insert(text).second) return;
    messagesWrite(text);
}

void messagesForgetSaid() { log().said.clear(); }

void vrlSetLogging(int on) { messagesSetEnabled(on != 0); }

void vrlHoldMessages(int hold) { messagesSetHeld(hold != 0); }

void vrlMsg(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    messagesWrite(buffer);
}

void vrlMsgOnce(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    messagesWriteOnce(buffer);
}
