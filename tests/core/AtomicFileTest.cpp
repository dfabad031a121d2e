#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/AtomicFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

bool save(const std::string& path, const char* text) {
    AtomicFile file(path);
    if (file.stream()) {
        std::fputs(text, file.stream());
    }
    return file.commit();
}

}  // namespace

TEST(AtomicFile, WritesThroughSymbolicLinks) {
    struct Case {
        const char* what;
        bool targetExists;
        bool absolute;
        int links;  // a chain of this many links leads to the target
    };
    const Case cases[] = {
        {"relative link", true, false, 1},
        {"absolute link", true, true, 1},
        {"chain of links", true, false, 3},
        {"dangling link", false, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        fs::create_directory(folder.file("real"));
        const std::string target = folder.file("real/params.prm");
        if (c.targetExists) {
            folder.write("real/params.prm", "old\n");
        }
        std::string pointsTo = c.absolute ? target : "real/params.prm";
        std::string link;
        for (int i = 0; i < c.links; ++i) {
            link = folder.file("link" + std::to_string(i));
            fs::create_symlink(pointsTo, link);
            pointsTo = "link" + std::to_string(i);
        }
        ASSERT_TRUE(save(link, "new\n"));
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(readFile(target), "new\n");
        // Nothing is left beside the target.
        EXPECT_EQ(
            std::distance(fs::directory_iterator(folder.file("real")), fs::directory_iterator()),
            1);
    }
}

TEST(AtomicFile, AReplacedFileKeepsItsPermissions) {
    for (const mode_t mode : {0600, 0640, 0755}) {
        SCOPED_TRACE(mode);
        ScratchFolder folder;
        const std::string path = folder.write("private.prm", "old\n");
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(save(path, "new\n"));
        struct stat after;
        ASSERT_EQ(stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & 07777, mode);
        EXPECT_EQ(readFile(path), "new\n");
    }
}

TEST(AtomicFile, OnlyRegularFilesAreReplaced) {
    // A save to a device or a pipe writes into it and leaves it what it was; nothing is made
    // beside it, so a save to /dev/null cannot put a regular file there.
    ScratchFolder folder;
    const std::string pipe = folder.file("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // The test holds the pipe open for reading, so the save neither blocks nor is lost.
    const int reader = open(pipe.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(save(pipe, "through the pipe\n"));
    char received[64] = {};
    EXPECT_EQ(read(reader, received, sizeof received - 1), 17);
    EXPECT_STREQ(received, "through the pipe\n");
    close(reader);
    EXPECT_TRUE(fs::is_fifo(pipe));

    const std::string device = folder.file("null");
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {  // as root only
        ASSERT_TRUE(save(device, "discarded\n"));
        EXPECT_TRUE(fs::is_character_file(device));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.file("")), fs::directory_iterator()),
              fs::exists(device) ? 2 : 1);

    fs::create_directory(folder.file("folder"));
    AtomicFile intoFolder(folder.file("folder"));
    EXPECT_EQ(intoFolder.stream(), nullptr);
    EXPECT_FALSE(intoFolder.commit());
    EXPECT_EQ(intoFolder.errorMessage(),
              "Cannot write \"" + folder.file("folder") + "\": it is a folder.");
}
