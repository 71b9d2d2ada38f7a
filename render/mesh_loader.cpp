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

#include <cctype>
#include <fstream>
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

void reportRepairs(const std::string& fileName, const Repairs& repairs) {
    if (!repairs.any()) return;
    vrlMsg("Mesh %s is malformed: %d numbers missing or unreadable, %d vertices without a "
           "normal, %d without texture coordinates, %d faces dropped\n",
           fileName.c_str(), repairs.badNumbers, repairs.missingNormals,
           repairs.missingTexCoords, repairs.droppedFaces);
}

}  // namespace

bool readLines(const std::string& fileName, std::vector<std::string>& lines, bool lowerCase) {
    std::ifstream stream(fileName, std::ios::binary);
    if (!stream.is_open()) return false;
    std::string line;
    while (std::getline(stream, line)) {
        if (lowerCase) {
            for (char& c : line)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        lines.push_back(line);
    }
    return true;
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

bool parseFloat(float& result, const std::string& token) { return parseNumber(result, token); }

bool parseInt(int& result, const std::string& token) { return parseNumber(result, token); }

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
    std::vector<std::string> lines;
    ParsedFile file;
    if (readLines(fileName, lines, false)) {
        vrlMsg("Parsing mesh %s\n", fileName.c_str());
        std::vector<std::string> tokens;
        for (const std::string& line : lines) {
            tokens.clear();
            splitTokens(line, tokens);
            if (!tokens.empty()) parseLine(tokens, file);
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
