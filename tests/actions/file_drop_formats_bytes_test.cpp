#include "actions/dropsource/file_drop_formats.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

// A blank, non-ASCII letters, both quote characters, a percent sign, a hash and a byte that is
// not valid UTF-8: every one must reach the other program unchanged after decoding.
const std::string kOdd = "/home/u/My Files/Grüße \"quoted\" 'single' 100%#\xff.txt";
const std::string kOddUri =
    "file:///home/u/My%20Files/Gr%C3%BC%C3%9Fe%20%22quoted%22%20%27single%27%20100%25%23%FF.txt";

TEST(ClipboardFormats, OneFile) {
    const std::vector<std::string> one{kOdd};
    EXPECT_EQ(FileUri(kOdd), kOddUri);
    EXPECT_EQ(UriListBlock(one), kOddUri + "\r\n");
    EXPECT_EQ(GnomeCopiedFilesBlock(one, PreferredEffect::Copy), "copy\n" + kOddUri);
    EXPECT_EQ(GnomeCopiedFilesBlock(one, PreferredEffect::Cut), "cut\n" + kOddUri);
    EXPECT_EQ(KdeCutSelectionBlock(PreferredEffect::Copy), "0");
    EXPECT_EQ(KdeCutSelectionBlock(PreferredEffect::Cut), "1");
    EXPECT_EQ(PlainPathsBlock(one), kOdd);
}

TEST(ClipboardFormats, ThreeFilesKeepTheirOrderAndHaveNoSeparatorAfterTheLast) {
    const std::vector<std::string> three{"/a b/c.txt", kOdd, "/x/ñ"};
    EXPECT_EQ(UriListBlock(three), "file:///a%20b/c.txt\r\n" + kOddUri + "\r\nfile:///x/%C3%B1\r\n");
    EXPECT_EQ(GnomeCopiedFilesBlock(three, PreferredEffect::Copy),
              "copy\nfile:///a%20b/c.txt\n" + kOddUri + "\nfile:///x/%C3%B1");
    EXPECT_EQ(PlainPathsBlock(three), "/a b/c.txt\n" + kOdd + "\n/x/ñ");
}

TEST(ClipboardFormats, UnreservedCharactersAndSeparatorsStayAsTheyAre) {
    EXPECT_EQ(FileUri("/AZaz09-._~/"), "file:///AZaz09-._~/");
    EXPECT_EQ(FileUri("/a+b;c=d@e:f,g&h"), "file:///a%2Bb%3Bc%3Dd%40e%3Af%2Cg%26h");
    EXPECT_EQ(FileUri(std::string("/n\nl\r\x01", 6)), "file:///n%0Al%0D%01");
}

TEST(ClipboardFormats, NoFilesGiveEmptyListsButStillNameTheEffect) {
    EXPECT_EQ(UriListBlock({}), "");
    EXPECT_EQ(GnomeCopiedFilesBlock({}, PreferredEffect::Copy), "copy\n");
    EXPECT_EQ(PlainPathsBlock({}), "");
}

}  // namespace
}  // namespace quillory
