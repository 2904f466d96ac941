// Reading a project's module files side by side: each result is handed on
// in the order of the files, and is what reading that file alone gives,
// whichever thread read it; a caller that stops midway stops the reading.

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "host/files/file_error.h"
#include "host/files/module_loader.h"
#include "host/files/module_reading.h"
#include "host_files/files_fixture.h"

namespace qv::test {
namespace {

using host::files::CodeReading;
using host::files::ReadModule;

// What a read gives, for comparing: the header read, the code lines, or the
// error's message.
std::string Shown(const ReadModule& read) {
    if (read.error) {
        try {
            std::rethrow_exception(read.error);
        } catch (const host::files::FileError& e) {
            return std::string("error: ") + e.what();
        }
    }
    std::string text = read.parsed->header.vbName + " at " +
                       std::to_string(read.parsed->codeOffset) + " of " +
                       std::to_string(read.parsed->bytes->size()) + " utf8 " +
                       std::to_string(read.utf8.value_or(false));
    if (read.lines) {
        for (long l = 0; l < read.lines->Count(); ++l) text += "\n" + std::string(read.lines->Line(l));
    }
    return text;
}

// Files of many sizes (a small one after a large one reads over its
// memory), one UTF-8, a few broken and one missing.
std::vector<std::string> WriteModules(const TempFolder& folder, int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        const std::string name = "m" + std::to_string(i);
        std::string text = "Attribute VB_Name = \"" + name + "\"\r\n";
        for (int l = 0; l < (i * 37) % 300; ++l) {
            text += "' line " + std::to_string(l) + (i % 7 == 3 ? " \xC3\xA9" : "") + "\r\n";
        }
        if (i % 11 == 5) text = "no header\r\n";
        if (i % 13 == 6) text += std::string(1, '\0');
        folder.Write(name + ".bas", text);
        paths.push_back(folder.File(name + ".bas"));
    }
    paths.push_back(folder.File("missing.bas"));
    return paths;
}

TEST(ModuleReading, ResultsComeInOrderAsEachFileReadAlone) {
    TempFolder folder;
    const std::vector<std::string> paths = WriteModules(folder, 90);
    for (const CodeReading code : {CodeReading::Lines, CodeReading::Indexed, CodeReading::Deferred}) {
        std::vector<size_t> order;
        host::files::ReadModuleFiles(paths, 1 << 20, code, {}, [&](size_t i, ReadModule read) {
            order.push_back(i);
            EXPECT_EQ(Shown(read), Shown(host::files::ReadModuleFile(paths[i], 1 << 20, code)))
                << paths[i];
            EXPECT_EQ(read.index.has_value(), code == CodeReading::Indexed && !read.error);
        });
        ASSERT_EQ(order.size(), paths.size());
        for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);
    }
}

// A filtered read keeps every module's header alone, and marks those whose
// code passes the filter to be read again.
TEST(ModuleReading, AFilterKeepsTheHeaderAloneAndMarksTheModulesItPasses) {
    TempFolder folder;
    const std::vector<std::string> paths = WriteModules(folder, 60);
    // Keeps the modules whose code holds "line 2" (and tells UTF-8 as it is).
    std::vector<int> asked(paths.size(), 0);
    const host::files::CodeFilter filter = [](std::string_view code, bool utf8) {
        return code.find("line 2") != std::string_view::npos &&
               utf8 == (code.find('\xC3') != std::string_view::npos);
    };
    host::files::ReadModuleFiles(paths, 1 << 20, CodeReading::Deferred, filter,
                                 [&](size_t i, ReadModule read) {
        const ReadModule alone = host::files::ReadModuleFile(paths[i], 1 << 20, CodeReading::Deferred);
        if (alone.error) {
            EXPECT_EQ(Shown(read), Shown(alone));
            return;
        }
        const std::string& whole = *alone.parsed->bytes;
        const size_t offset = alone.parsed->codeOffset;
        const bool kept = filter(std::string_view(whole).substr(offset), *alone.utf8);
        EXPECT_EQ(*read.parsed->bytes, whole.substr(0, offset)) << paths[i];
        EXPECT_EQ(read.codeOnDisk, kept) << paths[i];
        EXPECT_EQ(read.parsed->codeOffset, offset);
        EXPECT_EQ(read.utf8, alone.utf8);
        EXPECT_EQ(read.parsed->header.vbName, alone.parsed->header.vbName);
        EXPECT_FALSE(read.parsed->codeRead);
    });
}

TEST(ModuleReading, ACallerThatStopsStopsTheReading) {
    TempFolder folder;
    const std::vector<std::string> paths = WriteModules(folder, 200);
    size_t taken = 0;
    EXPECT_THROW(host::files::ReadModuleFiles(paths, 1 << 20, CodeReading::Lines, {},
                                              [&](size_t i, ReadModule) {
                                                  ++taken;
                                                  if (i == 10) throw std::runtime_error("stop");
                                              }),
                 std::runtime_error);
    EXPECT_EQ(taken, 11u);
}

// A project's modules are read as they are found, and opened without a
// second look: what stands at a path found a moment ago may have changed
// since, and is told as a look before the open would have told it.
TEST(ModuleReading, PathsListedOneByOneAreReadAsFoundAndTakenInOrder) {
    TempFolder folder;
    std::vector<std::string> paths = WriteModules(folder, 90);
    std::filesystem::create_directory(folder.Path() / "folder.bas");
    paths.insert(paths.begin() + 40, folder.File("folder.bas"));
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(folder.File("pipe.bas").c_str(), 0600), 0);
    paths.insert(paths.begin() + 20, folder.File("pipe.bas"));
#endif
    for (const CodeReading code : {CodeReading::Lines, CodeReading::Deferred}) {
        bool listingOver = false;
        std::vector<size_t> order;
        host::files::ReadListedModuleFiles(
            paths.size() + 5, 1 << 20, code, {},
            [&](const host::files::ListedPath& listed) {
                for (const std::string& path : paths) listed(path);
                listingOver = true;
            },
            [&](size_t i, ReadModule read) {
                EXPECT_TRUE(listingOver) << "a result is taken once the listing is over";
                order.push_back(i);
                EXPECT_EQ(Shown(read), Shown(host::files::ReadModuleFile(paths[i], 1 << 20, code)))
                    << paths[i];
            },
            true);
        ASSERT_EQ(order.size(), paths.size());
        for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);
    }
}

TEST(ModuleReading, AListingThatFailsStopsTheReading) {
    TempFolder folder;
    const std::vector<std::string> paths = WriteModules(folder, 100);
    size_t taken = 0;
    const auto countTaken = [&](size_t, ReadModule) { ++taken; };
    EXPECT_THROW(host::files::ReadListedModuleFiles(
                     paths.size() - 1, 1 << 20, CodeReading::Lines, {},
                     [&](const host::files::ListedPath& listed) {
                         for (const std::string& path : paths) listed(path);
                     },
                     countTaken),
                 std::logic_error)
        << "more paths than were said";
    EXPECT_THROW(host::files::ReadListedModuleFiles(
                     paths.size(), 1 << 20, CodeReading::Lines, {},
                     [&](const host::files::ListedPath& listed) {
                         for (size_t i = 0; i < 50; ++i) listed(paths[i]);
                         throw std::runtime_error("stop");
                     },
                     countTaken),
                 std::runtime_error);
    EXPECT_EQ(taken, 0u);
}

TEST(ModuleReading, TheExtensionTellsTheComponentType) {
    using host::files::TypeOfExtension;
    EXPECT_EQ(TypeOfExtension("a/b/Form1.FRM"), host::vbext_ct_VBForm);
    EXPECT_EQ(TypeOfExtension("Class1.cls"), host::vbext_ct_ClassModule);
    EXPECT_EQ(TypeOfExtension("x.frm.bas"), host::vbext_ct_StdModule);
    EXPECT_EQ(TypeOfExtension("../up/Ctl.ctl"), host::vbext_ct_UserControl);
    // A name that is all extension, a folder's extension, or none at all.
    EXPECT_EQ(TypeOfExtension("dir/.bas"), 0);
    EXPECT_EQ(TypeOfExtension(".bas"), 0);
    EXPECT_EQ(TypeOfExtension("mods.bas/Module1"), 0);
    EXPECT_EQ(TypeOfExtension("Module1"), 0);
    EXPECT_EQ(TypeOfExtension("Module1."), 0);
    EXPECT_EQ(TypeOfExtension(".."), 0);
    EXPECT_EQ(TypeOfExtension("dir/..bas"), host::vbext_ct_StdModule);
}

}  // namespace
}  // namespace qv::test
