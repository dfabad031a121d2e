#include <gtest/gtest.h>
#include <sys/stat.h>

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
