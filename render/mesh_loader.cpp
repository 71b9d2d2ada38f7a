// Reads the show's text meshes: "v", "vn", "vt" and "f" lines of the common
// OBJ subset. The k-th normal and texture coordinate belong to the k-th
// vertex, whatever the face references say; only the vertex number of a
// face corner is used.
//
// Broken files are repaired, never trusted: a vertex without its own "vn" or
// "vt" line gets a zero normal and texture coordinate 0; a number that is
// missing or unreadable keeps its start value (0, or 1 for w); a face with
// fewer than three corners or a vertex number outside the file's vertices is
// dropped. One message says what was repaired.
#include "render/mesh_loader.h"

#include <locale.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale>
#include <sstream>

#include "engine/vrl.h"
#include "render/float_to_int.h"
#include "render/mesh.h"

using NORVALE_VIRELLO::Vector;

namespace {

bool isWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Numbers are read exactly as a C-locale stream reads them, so that the
// meshes load the same whatever locale a host program installed.
template <typename Number>
bool parseNumber(Number& result, const std::string& token) {
    std::istringstream stream(token);
    stream.imbue(std::locale::classic());
    Number value{};
    if (!(stream >> value)) return false;
    result = value;
    return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// [+-] digits [. digits] [(e|E) [+-] digits], with at least one digit
// before or after the point.
bool isPlainDecimal(const std::string& token) {
    std::size_t i = 0;
    const std::size_t n = token.size();
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < n && isDigit(token[i])) ++i;
        return i - start;
    };
    if (i < n && (token[i] == '+' || token[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < n && token[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < n && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < n && (token[i] == '+' || token[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == n;
}

struct Triple {
    std::vector<float> x, y, z;
    std::size_t size() const { return x.size(); }
};

struct Repairs {
    int badNumbers = 0;
    int droppedFaces = 0;
    int missingNormals = 0;
    int missingTexCoords = 0;
    bool any() const {
        return badNumbers || droppedFaces || missingNormals || missingTexCoords;
    }
};

struct ParsedFile {
    Triple positions;
    Triple normals;
    std::vector<float> texU, texV;
    std::vector<int> corner0, corner1, corner2;  // one-based vertex numbers
    Repairs repairs;
};

// Reads token `index` into `value` if the line has it and it parses;
// otherwise `value` keeps its start value and the problem is counted.
void readNumber(const std::vector<std::string>& tokens, std::size_t index, float& value,
                Repairs& repairs) {
    if (index >= tokens.size() || !parseFloat(value, tokens[index])) ++repairs.badNumbers;
}

// "v x y z [w]" and "vn x y z [w]": w divides only on a line of exactly five tokens.
void parseHomogeneous(const std::vector<std::string>& tokens, Triple& into, Repairs& repairs) {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
    readNumber(tokens, 1, x, repairs);
    readNumber(tokens, 2, y, repairs);
    readNumber(tokens, 3, z, repairs);
    if (tokens.size() == 5) readNumber(tokens, 4, w, repairs);
    into.x.push_back(x / w);
    into.y.push_back(y / w);
    into.z.push_back(z / w);
}

void parseTexCoord(const std::vector<std::string>& tokens, ParsedFile& file) {
    float u = 0.0f, v = 0.0f;
    readNumber(tokens, 1, u, file.repairs);
    readNumber(tokens, 2, v, file.repairs);
    file.texU.push_back(u);
    file.texV.push_back(v);
}

// Corners after the third are read and dropped: the show's meshes are
// triangles, and a polygon is not fanned out.
void parseFace(const std::vector<std::string>& tokens, ParsedFile& file) {
    if (tokens.size() < 4) {
        ++file.repairs.droppedFaces;
        return;
    }
    int numbers[3] = {0, 0, 0};
    for (std::size_t t = 1; t < tokens.size(); ++t) {
        int vertexNumber = 0, textureNumber = 0, normalNumber = 0;
        parseFaceVertex(tokens[t], vertexNumber, textureNumber, normalNumber);
        if (t <= 3) numbers[t - 1] = vertexNumber;
    }
    file.corner0.push_back(numbers[0]);
    file.corner1.push_back(numbers[1]);
    file.corner2.push_back(numbers[2]);
}

void parseLine(const std::vector<std::string>& tokens, ParsedFile& file) {
    const std::string& keyword = tokens[0];
    if (keyword == "v") parseHomogeneous(tokens, file.positions, file.repairs);
    if (keyword == "vn") parseHomogeneous(tokens, file.normals, file.repairs);
    if (keyword == "vt") parseTexCoord(tokens, file);
    if (keyword == "f") parseFace(tokens, file);
}

bool vertexNumberValid(int number, int vertexCount) {
    return number >= 1 && number <= vertexCount;
}

void fillVertices(const ParsedFile& file, Mesh& mesh, Repairs& repairs) {
    for (int k = 0; k < mesh.vertexCount; ++k) {
        const std::size_t i = static_cast<std::size_t>(k);
        MeshVertex& vertex = mesh.vertices[i];
        vertex.position = Vector(file.positions.x[i], file.positions.y[i], file.positions.z[i]);
        if (i < file.normals.size()) {
            vertex.normal = Vector(file.normals.x[i], file.normals.y[i], file.normals.z[i]);
        } else {
            ++repairs.missingNormals;
        }
        if (i < file.texU.size()) {
            vertex.u = truncToInt(static_cast<double>(file.texU[i]) * 255.0);
            vertex.v = truncToInt(static_cast<double>(file.texV[i]) * 255.0);
        } else {
            ++repairs.missingTexCoords;
        }
    }
}

MeshFace makeFace(const Mesh& mesh, int number0, int number1, int number2) {
    MeshFace face;
    face.index0 = number0 - 1;
    face.index1 = number1 - 1;
    face.index2 = number2 - 1;
    face.blue = face.green = face.red = 255;
    const Vector& n0 = mesh.vertices[static_cast<std::size_t>(face.index0)].normal;
    const Vector& n1 = mesh.vertices[static_cast<std::size_t>(face.index1)].normal;
    const Vector& n2 = mesh.vertices[static_cast<std::size_t>(face.index2)].normal;
    face.normal = ((n0 + n1) + n2).normalize();
    face.depth = 0.0f;
    return face;
}

void fillFaces(const ParsedFile& file, Mesh& mesh, Repairs& repairs) {
    for (std::size_t j = 0; j < file.corner0.size(); ++j) {
        const int a = file.corner0[j], b = file.corner1[j], c = file.corner2[j];
        if (!vertexNumberValid(a, mesh.vertexCount) || !vertexNumberValid(b, mesh.vertexCount) ||
            !vertexNumberValid(c, mesh.vertexCount)) {
            ++repairs.droppedFaces;
            continue;
        }
        mesh.faces.push_back(makeFace(mesh, a, b, c));
    }
    mesh.faceCount = static_cast<int>(mesh.faces.size());
}

// The limit a parsed file went past, or null. Far above the show's own
// meshes (a few hundred faces), low enough that one cannot exhaust memory.
const char* exceededLimit(const ParsedFile& file) {
    static const std::string faces = std::to_string(kMaxMeshFaces) + " faces";
    static const std::string vertices = std::to_string(kMaxMeshVertices) + " vertices";
    if (file.corner0.size() > kMaxMeshFaces) return faces.c_str();
    if (file.positions.size() > kMaxMeshVertices || file.normals.size() > kMaxMeshVertices ||
        file.texU.size() > kMaxMeshVertices)
        return vertices.c_str();
    return nullptr;
}

// Parses line by line, stopping at the first limit passed (returned).
const char* parseText(const std::string& text, ParsedFile& file) {
    std::string line;
    std::vector<std::string> tokens;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        line.assign(text, begin, end - begin);
        begin = end + 1;
        tokens.clear();
        splitTokens(line, tokens);
        if (tokens.empty()) continue;
        parseLine(tokens, file);
        if (const char* limit = exceededLimit(file)) return limit;
    }
    return nullptr;
}

void reportRepairs(const std::string& fileName, const Repairs& repairs) {
    if (!repairs.any()) return;
    vrlMsg("Mesh %s is malformed: %d numbers missing or unreadable, %d vertices without a "
           "normal, %d without texture coordinates, %d faces dropped\n",
           fileName.c_str(), repairs.badNumbers, repairs.missingNormals,
           repairs.missingTexCoords, repairs.droppedFaces);
}

}  // namespace

FileRead readFileText(const std::string& fileName, std::size_t maxBytes, std::string& text) {
    text.clear();
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) return FileRead::NotOpened;
    FileRead result = FileRead::Ok;
    struct stat info {};
    if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        std::fclose(file);
        return FileRead::TooLarge;
    }
    // The rest is read in pieces and counted: a pipe has no size to ask.
    char chunk[64 * 1024];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (got > maxBytes - text.size()) {
            result = FileRead::TooLarge;
            break;
        }
        text.append(chunk, got);
    }
    std::fclose(file);
    if (result != FileRead::Ok) text.clear();
    return result;
}

void splitTokens(const std::string& line, std::vector<std::string>& tokens) {
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isWhitespace(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !isWhitespace(line[i])) ++i;
        if (i > start) tokens.push_back(line.substr(start, i - start));
    }
}

bool parseFloat(float& result, const std::string& token) {
    // A plain decimal is read by a stream as a whole and handed to strtof
    // in the C locale, which fails it only when out of range; doing just
    // that directly is the same reading at a fraction of the cost. Any other
    // form (and a stream stops at odd places) still goes through a stream.
    if (!isPlainDecimal(token)) return parseNumber(result, token);
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    const float value = strtof_l(token.c_str(), nullptr, cLocale);
    if (std::isinf(value)) return false;
    result = value;
    return true;
}

bool parseInt(int& result, const std::string& token) {
    // Face corners are nearly always a few plain digits; those need no
    // stream, and any other form still reads exactly as a stream reads it.
    if (!token.empty() && token.size() <= 9 &&
        std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        result = 0;
        for (char c : token) result = result * 10 + (c - '0');
        return true;
    }
    return parseNumber(result, token);
}

void parseFaceVertex(const std::string& token, int& vertexNumber, int& textureNumber,
                     int& normalNumber) {
    vertexNumber = textureNumber = normalNumber = 0;
    const std::size_t firstSlash = token.find('/');
    if (firstSlash == std::string::npos) {
        parseInt(vertexNumber, token);
        return;
    }
    parseInt(vertexNumber, token.substr(0, firstSlash));
    const std::string rest = token.substr(firstSlash + 1);
    const std::size_t secondSlash = rest.find('/');
    if (secondSlash == std::string::npos) {  // i/t
        parseInt(textureNumber, rest);
        normalNumber = textureNumber;
        return;
    }
    if (secondSlash > 0) parseInt(textureNumber, rest.substr(0, secondSlash));  // i/t/n
    parseInt(normalNumber, rest.substr(secondSlash + 1));                       // or i//n
}

void Mesh::load(std::string fileName) {
    ParsedFile file;
    std::string text;
    const FileRead read = readFileText(fileName, kMaxMeshFileBytes, text);
    if (read == FileRead::NotOpened) {
        vrlMsgOnce("Cannot open mesh %s (%s); it is not drawn\n", fileName.c_str(),
                   std::strerror(errno));
    } else if (read == FileRead::TooLarge) {
        // %d, not %zu: the message formats are checked as Microsoft's C
        // runtime reads them too, which has no z.
        vrlMsgOnce("Mesh %s is larger than %d MB; it is not drawn\n", fileName.c_str(),
                   static_cast<int>(kMaxMeshFileBytes >> 20));
    } else {
        vrlMsg("Parsing mesh %s\n", fileName.c_str());
        if (const char* limit = parseText(text, file)) {
            vrlMsgOnce("Mesh %s has more than %s; it is not drawn\n", fileName.c_str(), limit);
            file = ParsedFile{};
        }
    }

    vertexCount = static_cast<int>(file.positions.size());
    vertices.assign(static_cast<std::size_t>(vertexCount), MeshVertex{});
    viewVertices.assign(static_cast<std::size_t>(vertexCount), MeshVertex{});
    faces.clear();
    fillVertices(file, *this, file.repairs);
    fillFaces(file, *this, file.repairs);
    drawList.assign(static_cast<std::size_t>(faceCount), MeshFace{});
    sortOrder.assign(static_cast<std::size_t>(faceCount), DepthOrder{0.0f, 0});
    reportRepairs(fileName, file.repairs);
}
