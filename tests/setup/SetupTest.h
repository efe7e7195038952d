// Shared by the setup program's tests: a private home (settings, data, desktop and menu
// folders), a program folder holding the shipped files, the settings tree of that home, a
// prompter that answers from a script, and helpers to write and read settings by path.
#pragma once

#include "platform/Paths.h"
#include "platform/SettingsTree.h"
#include "setup/FileTable.h"
#include "setup/InstallationProof.h"
#include "setup/QtPrompter.h"
#include "setup/SetupContext.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::test {

class SetupTest : public ::testing::Test {
protected:
    SetupTest() : tree(ConfigFolder() / "user.reg") {
        context.programFolder = programDir.Path();
        context.setupProgram = programDir.Path() / "TolvaneSetup";
        context.tree = &tree;
        // Never a real message box: an unexpected one answers Cancel.
        prompter.QueueAnswers("");
        for (const setup::FileTableRow& row : setup::kFileTable) {
            if ((row.flags & setup::FILE_REQUIRED) != 0) {
                WriteFileBytes(programDir.Path() / row.name, row.name);
            }
        }
        WriteFileBytes(context.setupProgram, "setup");
        WriteFileBytes(programDir.Path() / setup::kInstallationMarker,
                       std::string(setup::kInstallationMarkerLine) + "\n");
    }

    // Creates the key at path (from HKEY_CURRENT_USER) and sets a value in it.
    void PutText(const std::string& path, const std::string& name, const std::string& text) {
        RegKey key;
        ASSERT_EQ(tree.CreateKey(tree.Root(), path, key), REG_OK) << path;
        ASSERT_EQ(tree.SetString(key, name, text), REG_OK) << path << " " << name;
    }
    void PutDword(const std::string& path, const std::string& name, uint32_t value) {
        RegKey key;
        ASSERT_EQ(tree.CreateKey(tree.Root(), path, key), REG_OK) << path;
        ASSERT_EQ(tree.SetDword(key, name, value), REG_OK) << path << " " << name;
    }
    void PutKey(const std::string& path) {
        RegKey key;
        ASSERT_EQ(tree.CreateKey(tree.Root(), path, key), REG_OK) << path;
    }
    bool KeyExists(const std::string& path) {
        RegKey key;
        return tree.OpenKey(tree.Root(), path, key) == REG_OK;
    }
    std::string Text(const std::string& path, const std::string& name) {
        RegKey key;
        SettingsValue value;
        if (tree.OpenKey(tree.Root(), path, key) != REG_OK ||
            tree.QueryValue(key, name, value) != REG_OK) {
            return "(none)";
        }
        return value.type == REG_SZ ? value.text : "dword:" + std::to_string(value.dword);
    }

    // Everything below path, one line per key and value, paths relative to it.
    std::string Dump(const std::string& path) {
        RegKey key;
        if (tree.OpenKey(tree.Root(), path, key) != REG_OK) {
            return "(none)";
        }
        std::string out;
        DumpKey(key, "", out);
        return out;
    }

    // The messages shown, as their texts.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& shown : prompter.ShownBoxes()) {
            texts.push_back(shown.textUtf8);
        }
        return texts;
    }

    ScopedHome home;
    TempDir programDir;
    SettingsTree tree;
    setup::SetupContext context;
    setup::CQtPrompter prompter;

private:
    void DumpKey(const RegKey& key, const std::string& prefix, std::string& out) {
        SettingsValue value;
        for (uint32_t i = 0; tree.EnumValue(key, i, value) == REG_OK; ++i) {
            out += prefix + value.name + "=" +
                   (value.type == REG_SZ ? value.text : "dword:" + std::to_string(value.dword)) +
                   "\n";
        }
        std::string name;
        for (uint32_t i = 0; tree.EnumKey(key, i, name) == REG_OK; ++i) {
            RegKey child;
            ASSERT_EQ(tree.OpenKey(key, name, child), REG_OK);
            out += prefix + "[" + name + "]\n";
            DumpKey(child, prefix + name + "\\", out);
        }
    }
};

} // namespace tolvane::test
