#include "actions/dropsource/file_drop_formats.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

TEST(FileDropFormats, OneFileInEveryFormat) {
    const std::vector<std::string> files = {"/home/ann/my notes.txt"};
    EXPECT_EQ(FileUri(files[0]), "file:///home/ann/my%20notes.txt");
    EXPECT_EQ(UriListBlock(files), "file:///home/ann/my%20notes.txt\r\n");
    EXPECT_EQ(GnomeCopiedFilesBlock(files, PreferredEffect::Copy), "copy\nfile:///home/ann/my%20notes.txt");
    EXPECT_EQ(KdeCutSelectionBlock(PreferredEffect::Copy), "0");
    EXPECT_EQ(PlainPathsBlock(files), "/home/ann/my notes.txt");
}

TEST(FileDropFormats, ThreeFilesWithBlanksNonAsciiAndQuotes) {
    // "Ü", "ï" and "ß" in UTF-8; a byte that is not UTF-8 at all; both kinds of quote.
    const std::vector<std::string> files = {"/d/a b.txt",
                                            "/d/\xC3\x9C"
                                            "ber m\xC3\xAFx \xC3\x9F.mp3",
                                            "/d/it's \"q\" \xFF.txt"};
    const std::string uris[] = {"file:///d/a%20b.txt", "file:///d/%C3%9Cber%20m%C3%AFx%20%C3%9F.mp3",
                                "file:///d/it%27s%20%22q%22%20%FF.txt"};
    EXPECT_EQ(UriListBlock(files), uris[0] + "\r\n" + uris[1] + "\r\n" + uris[2] + "\r\n");
    const std::string gnome = GnomeCopiedFilesBlock(files, PreferredEffect::Copy);
    EXPECT_EQ(gnome, "copy\n" + uris[0] + "\n" + uris[1] + "\n" + uris[2]);
    EXPECT_NE(gnome.back(), '\n');
    EXPECT_EQ(PlainPathsBlock(files), files[0] + "\n" + files[1] + "\n" + files[2]);

    // A cut says so to both file managers.
    EXPECT_EQ(GnomeCopiedFilesBlock(files, PreferredEffect::Cut),
              "cut\n" + uris[0] + "\n" + uris[1] + "\n" + uris[2]);
    EXPECT_EQ(KdeCutSelectionBlock(PreferredEffect::Cut), "1");
}

TEST(FileDropFormats, UriEscapesEverythingThatCouldBeReadAsSyntax) {
    EXPECT_EQ(FileUri("/x/100%#?;[a]+=&@:,~_-.txt"),
              "file:///x/100%25%23%3F%3B%5Ba%5D%2B%3D%26%40%3A%2C~_-.txt");
    EXPECT_EQ(FileUri("/tab\there\nnew"), "file:///tab%09here%0Anew");
    EXPECT_EQ(FileUri("/"), "file:///");
}

TEST(FileDropFormats, RenderAnswersOnlyOfferedFormatsWithFiles) {
    const std::vector<std::string> files = {"/a", "/b c"};
    ASSERT_EQ(kFileDropFormats.size(), 4u);
    EXPECT_EQ(kFileDropFormats[0], "text/uri-list");
    EXPECT_EQ(kFileDropFormats[1], "x-special/gnome-copied-files");
    EXPECT_EQ(kFileDropFormats[2], "application/x-kde-cutselection");
    EXPECT_EQ(kFileDropFormats[3], "text/plain");
    EXPECT_EQ(RenderFileDropFormat("text/uri-list", files, PreferredEffect::Copy),
              "file:///a\r\nfile:///b%20c\r\n");
    EXPECT_EQ(RenderFileDropFormat("x-special/gnome-copied-files", files, PreferredEffect::Copy),
              "copy\nfile:///a\nfile:///b%20c");
    EXPECT_EQ(RenderFileDropFormat("application/x-kde-cutselection", files, PreferredEffect::Cut), "1");
    EXPECT_EQ(RenderFileDropFormat("text/plain", files, PreferredEffect::Copy), "/a\n/b c");

    EXPECT_FALSE(RenderFileDropFormat("text/html", files, PreferredEffect::Copy));
    EXPECT_FALSE(RenderFileDropFormat("text/plain;charset=utf-8", files, PreferredEffect::Copy));
    EXPECT_FALSE(RenderFileDropFormat("TEXT/URI-LIST", files, PreferredEffect::Copy));
    for (const std::string_view format : kFileDropFormats) {
        EXPECT_FALSE(RenderFileDropFormat(format, {}, PreferredEffect::Copy)) << format;
    }
}

}  // namespace
}  // namespace quillory
