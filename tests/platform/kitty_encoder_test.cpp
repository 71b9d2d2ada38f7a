#include "platform/kitty_encoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "platform/base64.h"
#include "tests/support/test_frame.h"

namespace {

std::string rgbOf(const TestPicture& picture) {
    std::string rgb;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t pixel = picture.at(x, y);
            rgb += static_cast<char>(pixel & 0xFF);
            rgb += static_cast<char>(pixel >> 8 & 0xFF);
            rgb += static_cast<char>(pixel >> 16 & 0xFF);
        }
    }
    return rgb;
}

struct Command {
    std::string control;
    std::string payload;
};

// The graphics commands in `bytes`, and what stands outside them.
std::vector<Command> commandsIn(std::string_view bytes, std::string& outside) {
    std::vector<Command> commands;
    std::size_t at = 0;
    for (;;) {
        const std::size_t start = bytes.find("\x1b_G", at);
        outside += bytes.substr(at, start == std::string_view::npos ? std::string_view::npos : start - at);
        if (start == std::string_view::npos) break;
        const std::size_t end = bytes.find("\x1b\\", start);
        EXPECT_NE(end, std::string_view::npos) << "an unterminated command";
        if (end == std::string_view::npos) break;
        const std::string_view body = bytes.substr(start + 3, end - start - 3);
        const std::size_t semicolon = body.find(';');
        commands.push_back({std::string(body.substr(0, semicolon)),
                            semicolon == std::string_view::npos ? "" : std::string(body.substr(semicolon + 1))});
        at = end + 2;
    }
    return commands;
}

// The payload of a chunked transmission, checking the chunk rules on the way.
std::string joinChunks(const std::vector<Command>& commands) {
    std::string payload;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const bool last = i + 1 == commands.size();
        EXPECT_NE(commands[i].control.find(last ? "m=0" : "m=1"), std::string::npos) << i;
        EXPECT_LE(commands[i].payload.size(), kKittyChunkBytes) << i;
        EXPECT_EQ(commands[i].payload.size() % 4, 0u) << "a chunk must hold whole base64 groups";
        if (i > 0) {
            EXPECT_EQ(commands[i].control.find("a="), std::string::npos) << "keys only in the first chunk";
        }
        payload += commands[i].payload;
    }
    return payload;
}

TEST(KittyEncoder, ThePayloadIsThePictureExactlyDirectOrCompressed) {
    // Large enough for several chunks; rows with junk between them.
    const TestPicture picture = seededTestPicture(1, 61, 37);
    for (KittyTransfer transfer : {KittyTransfer::Direct, KittyTransfer::Compressed}) {
        const bool compressed = transfer == KittyTransfer::Compressed;
        KittyEncoder encoder(transfer);
        std::string outside;
        const std::vector<Command> commands =
            commandsIn(encoder.encodeFrame(picture.view(), {3, 5, 40, 13}), outside);
        ASSERT_GT(commands.size(), 1u);
        EXPECT_EQ(outside, "\x1b[6;4H") << "the cursor goes to the box's top left cell";
        for (const char* key : {"a=T", "f=24", "s=61", "v=37", "c=40", "r=13", "C=1", "q=2"})
            EXPECT_NE(commands[0].control.find(key), std::string::npos) << key;
        EXPECT_NE(commands[0].control.find("i=" + std::to_string(kKittyImageId)), std::string::npos);
        EXPECT_NE(commands[0].control.find("p=" + std::to_string(kKittyPlacementId)), std::string::npos);
        EXPECT_EQ(commands[0].control.find("o=z") != std::string::npos, compressed);
        std::optional<std::string> pixels = base64Decode(joinChunks(commands));
        ASSERT_TRUE(pixels);
        if (compressed) {
            std::string inflated(61 * 37 * 3 + 1, '\0');
            uLongf size = static_cast<uLongf>(inflated.size());
            ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size,
                                 reinterpret_cast<const Bytef*>(pixels->data()), static_cast<uLong>(pixels->size())),
                      Z_OK);
            inflated.resize(size);
            pixels = inflated;
        }
        EXPECT_TRUE(*pixels == rgbOf(picture)) << "the pixels differ";
    }
}

TEST(Base64, RoundTripsEveryLengthAndRefusesBrokenText) {
    std::mt19937 random(64);
    for (std::size_t length = 0; length < 40; ++length) {
        std::string bytes(length, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        const std::string text = base64Encode(bytes);
        EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
        EXPECT_EQ(base64Decode(text), bytes) << length;
    }
    EXPECT_EQ(base64Encode("Man"), "TWFu");
    EXPECT_EQ(base64Encode("Ma"), "TWE=");
    EXPECT_EQ(base64Encode("M"), "TQ==");
    for (const char* broken : {"TWF", "TW=u", "T!Fu", "===="}) EXPECT_FALSE(base64Decode(broken)) << broken;
}

}  // namespace
