#include <gtest/gtest.h>

#include <string_view>

#include "plugin/help_library.h"

namespace {

// Finding, loading and sharing the help control is driven over the real registry and loader
// by the AdapterHelp tests under Wine. A relative path would be searched for in the host
// program's folder first, where anyone may plant a library of that name.
TEST(HelpLibraryPaths, OnlyDriveAndServerPathsAreFull) {
    EXPECT_TRUE(plugin::IsFullPath(u"C:\\windows\\hh.ocx"));
    EXPECT_TRUE(plugin::IsFullPath(u"\\\\server\\share\\hh.ocx"));
    for (const char16_t* relative : {u"hhctrl.ocx", u"\\windows\\hh.ocx", u"C:hh.ocx"}) {
        EXPECT_FALSE(plugin::IsFullPath(relative)) << std::u16string_view(relative).size();
    }
}

}  // namespace
