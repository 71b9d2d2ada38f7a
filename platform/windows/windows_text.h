#pragma once
// UTF-8, the program's text, to and from UTF-16, the Windows API's, and the
// system's words for an error code. For the Windows sides of the platform
// files in this folder.
#include <string>

std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const std::wstring& text);

// What FormatMessageW says for a GetLastError() code, as one line of UTF-8
// without its final full stop ("Access is denied"); the number when it has
// no words.
std::string windowsErrorText(unsigned long code);
// The same for the last error of this thread.
std::string lastWindowsErrorText();
