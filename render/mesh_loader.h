#pragma once
// The text mesh reader's building blocks, shared with its tests.
#include <cstddef>
#include <string>
#include <vector>

// What a mesh file may hold; a larger one is refused whole, with a message,
// and draws nothing, like a missing one. The show's own have a few hundred
// faces; a mesh at these limits still loads in well under a second.
constexpr std::size_t kMaxMeshFileBytes = std::size_t{64} << 20;
constexpr std::size_t kMaxMeshFaces = 200000;
constexpr std::size_t kMaxMeshVertices = 3 * kMaxMeshFaces;  // also normals, texture points

enum class FileRead { Ok, NotOpened, TooLarge };
// The whole file as bytes (errno tells why one did not open). More than
// `maxBytes` is TooLarge, found without reading further, and leaves `text`
// empty.
FileRead readFileText(const std::string& fileName, std::size_t maxBytes, std::string& text);
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
