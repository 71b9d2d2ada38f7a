#pragma once
// The text mesh reader's building blocks, shared with its tests.
#include <string>
#include <vector>

// Appends every line of the file (without its line feed) to `lines`,
// lower-cased when asked. False, with `lines` untouched, if it does not open.
bool readLines(const std::string& fileName, std::vector<std::string>& lines, bool lowerCase);
// Appends the whitespace-separated tokens of `line` to `tokens`.
void splitTokens(const std::string& line, std::vector<std::string>& tokens);
// Read one decimal number from the start of `token` the way a stream does;
// the rest of the token is ignored. On failure `result` keeps its value.
bool parseFloat(float& result, const std::string& token);
bool parseInt(int& result, const std::string& token);
// Splits a face corner "i", "i/t", "i/t/n" or "i//n"; all three outputs
// start at 0. Only the vertex number matters to the mesh.
void parseFaceVertex(const std::string& token, int& vertexNumber, int& textureNumber,
                     int& normalNumber);
