#include "platform/FileDefaultsStorage.h"

#include "platform/FileContents.h"
#include "platform/PropertyList.h"
#include "support/TemporaryDirectory.h"

#include <csignal>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pellamor {
namespace {

class FileDefaultsStorageTest : public ::testing::Test {
protected:
    std::unique_ptr<UserDefaults> open()
    {
        auto storage = std::make_unique<FileDefaultsStorage>(path);
        lastStorage = storage.get();
        return std::make_unique<UserDefaults>(std::move(storage));
    }
    void write(const std::string& contents)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << contents;
    }
    std::string read(const std::filesystem::path& file) { return readFileContents(file, 1 << 20).contents; }
    std::vector<std::filesystem::path> filesInFolder()
    {
        std::vector<std::filesystem::path> files;
        for (auto& entry : std::filesystem::directory_iterator(path.parent_path()))
            files.push_back(entry.path());
        return files;
    }

    test::TemporaryDirectory home;
    std::filesystem::path path = FileDefaultsStorage::standardPath(home.path());
    FileDefaultsStorage* lastStorage = nullptr;
};

TEST_F(FileDefaultsStorageTest, StoresInTheDomainFileAndReadsBackTypedValues)
{
    EXPECT_EQ(path, home.path() / "Library/Preferences/fr.local.pellamor.plist");
    {
        auto defaults = open();
        EXPECT_TRUE(defaults->dictionaryRepresentation().empty());
        defaults->set("appLanguage", "fr");
        defaults->set("enabled", true);
        defaults->set("count", 3);
        defaults->set("gone", 1);
        defaults->remove("gone");
    }
    auto defaults = open();
    EXPECT_EQ(*defaults->string("appLanguage"), "fr");
    EXPECT_TRUE(*defaults->boolean("enabled"));
    EXPECT_EQ(*defaults->integer("count"), 3);
    EXPECT_TRUE(defaults->integer("gone").isAbsent());
    EXPECT_TRUE(defaults->boolean("count").isWrongType());
    EXPECT_FALSE(defaults->objectExists("gone"));
    EXPECT_TRUE(parseXMLPropertyList(read(path)));
    EXPECT_EQ(filesInFolder(), std::vector<std::filesystem::path> { path }) << "no temporary file left behind";
}

TEST_F(FileDefaultsStorageTest, AWriteThatCannotBeMadeLeavesTheStoredFileAsItWas)
{
    auto defaults = open();
    defaults->set("kept", "yes");
    auto before = read(path);
    defaults->set("unwritable", "control \x01 character");
    EXPECT_EQ(read(path), before);
    EXPECT_EQ(filesInFolder().size(), 1u);
    EXPECT_EQ(*open()->string("kept"), "yes");
}

TEST_F(FileDefaultsStorageTest, AKillWhileWritingLeavesACompleteDomain)
{
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        auto defaults = open();
        for (int i = 0;; ++i) {
            defaults->set("blob", std::string(200000, char('a' + i % 26)));
            defaults->set("counter", i);
            if (::write(pipe[1], "x", 1) != 1)
                ::_exit(1);
        }
    }
    ::close(pipe[1]);
    char byte;
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(::read(pipe[0], &byte, 1), 1);
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ::close(pipe[0]);

    auto defaults = open();
    EXPECT_TRUE(lastStorage->keptAsidePath().empty());
    EXPECT_GE(*defaults->integer("counter"), 9);
    EXPECT_EQ(defaults->string("blob")->size(), 200000u);
}

TEST_F(FileDefaultsStorageTest, KeepsAnUnusableFileAsideAndNeverOverwritesIt)
{
    const std::string unusable[] = {
        "garbage",
        "<?xml version=\"1.0\"?><plist><dict><key>a</key><true/>",
        "<?xml version=\"1.0\"?><plist><array/></plist>",
        "\"a\" = \"strings syntax is no defaults file\";",
        std::string("bplist00\0\0", 10),
        "",
    };
    for (const auto& contents : unusable) {
        write(contents);
        auto defaults = open();
        EXPECT_TRUE(defaults->dictionaryRepresentation().empty());
        auto aside = lastStorage->keptAsidePath();
        ASSERT_FALSE(aside.empty());
        EXPECT_EQ(aside.parent_path(), path.parent_path());
        EXPECT_EQ(read(aside), contents);
        defaults->set("fresh", true);
        EXPECT_EQ(read(aside), contents);
        EXPECT_TRUE(*open()->boolean("fresh"));
        std::filesystem::remove(aside);
        std::filesystem::remove(path);
    }
}

TEST_F(FileDefaultsStorageTest, APipeOrAFolderInPlaceOfTheFileIsSetAsideWithoutWaiting)
{
    std::filesystem::create_directories(path.parent_path());
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    auto loading = std::async(std::launch::async, [this] { return open(); });
    if (loading.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
        // A writer lets the blocked open return, so that the test ends.
        ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
        FAIL() << "the start waits for a writer on the pipe";
    }
    auto defaults = loading.get();
    EXPECT_TRUE(defaults->dictionaryRepresentation().empty());
    EXPECT_FALSE(lastStorage->keptAsidePath().empty());
    EXPECT_FALSE(std::filesystem::exists(path));
    defaults->set("fresh", true);
    EXPECT_TRUE(*open()->boolean("fresh"));

    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    auto again = open();
    EXPECT_FALSE(lastStorage->keptAsidePath().empty());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(FileDefaultsStorageTest, WritesNothingWhenTheUnusableFileCannotBeMovedAside)
{
    // A name so long that no longer name fits beside it.
    path = home.path() / std::string(250, 'p');
    write("garbage");
    auto defaults = open();
    EXPECT_TRUE(lastStorage->keptAsidePath().empty());
    defaults->set("fresh", true);
    EXPECT_TRUE(*defaults->boolean("fresh"));
    EXPECT_EQ(read(path), "garbage");
}

TEST_F(FileDefaultsStorageTest, ReadsABinaryDomainFile)
{
    std::string binary("bplist00\xD1\x01\x02\x51\x61\x09\x08\x0B\x0D"
                       "\x00\x00\x00\x00\x00\x00\x00\x01\x01"
                       "\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00"
                       "\x00\x00\x00\x00\x00\x00\x00\x0E",
        50);
    write(binary);
    auto defaults = open();
    EXPECT_TRUE(*defaults->boolean("a"));
    EXPECT_TRUE(lastStorage->keptAsidePath().empty());
}

} // namespace
} // namespace pellamor
