#include "util/sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

// The published test vectors of the algorithm.
TEST(Sha256, EmptyInput) {
  EXPECT_EQ(util::Sha256Hex(""),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(Sha256, ThreeLetters) {
  EXPECT_EQ(util::Sha256Hex("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(Sha256, TwoBlockMessage) {
  EXPECT_EQ(util::Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(Sha256, FourBlockMessage) {
  EXPECT_EQ(util::Sha256Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
                            "ijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
            "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
}

TEST(Sha256, OneMillionLettersA) {
  EXPECT_EQ(util::Sha256Hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, PiecesGiveTheDigestOfTheWhole) {
  const std::string text =
      "The digest of bytes fed in uneven pieces, crossing block ends: " + std::string(200, 'x');
  util::Sha256 hash;
  for (std::size_t at = 0; at < text.size(); at += 7) hash.Add(text.substr(at, 7));
  EXPECT_EQ(hash.HexDigest(), util::Sha256Hex(text));
}

TEST(Sha256, EveryByteValueIsHashedAsAByte) {
  std::string bytes;
  for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
  EXPECT_EQ(util::Sha256Hex(bytes),
            "40aff2e9d2d8922e47afd4648e6967497158785fbd1da870e7110266bf944880");
}

// The processor's SHA instructions, where it has them, and the rounds in
// C++ give the same digests: the published ones, and those of texts of
// every length around the block ends, fed whole and in pieces.
TEST(Sha256, BothWaysGiveTheSameDigests) {
  using Way = util::Sha256::Way;
  const std::pair<std::string, std::string> published[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (Way way : {Way::kFastest, Way::kPortable}) {
    for (const auto& [text, digest] : published) {
      util::Sha256 hash(way);
      hash.Add(text);
      EXPECT_EQ(hash.HexDigest(), digest);
    }
  }
  std::string text;
  for (std::size_t size = 0; size < 700; ++size) {
    text += static_cast<char>((size * 131 + 7) % 256);
    util::Sha256 fastest(Way::kFastest), portable(Way::kPortable);
    for (std::size_t at = 0; at < text.size(); at += 150) fastest.Add(text.substr(at, 150));
    portable.Add(text);
    ASSERT_EQ(fastest.HexDigest(), portable.HexDigest()) << size;
  }
}
