// The summary at the end of a run.

#include "app/summary.h"

#include <gtest/gtest.h>

#include "core/run_state.h"

namespace {

TEST(Summary, NamesEverythingTheRunDidAndWhereItsLogIs) {
  RunRecord record;
  record.systemFiles = {{"$CONFIG.DAT", true, ""},
                        {"SPS.SUB", false, "not named in vantrel.ini"},
                        {"IR_STOPM.SRC", true, ""}};
  record.migrationRun = true;
  record.userFilesUpgraded = {"Program\\A.src", "Program\\A.dat"};
  record.userFilesUnchanged = {"Program\\B.src"};
  record.filesCopied = 3;
  record.errors = 2;
  record.warnings = 1;
  EXPECT_EQ(SummaryText(record, "/l/Vantrel.log", "/l/Vantrel-backup-x"),
            "System files upgraded: 2 ($CONFIG.DAT, IR_STOPM.SRC)\n"
            "System files not upgraded: 1 (SPS.SUB)\n"
            "Migration 5.x to 6.x: run\n"
            "User files upgraded: 2\n"
            "User files copied unchanged because of fold faults: 1\n"
            "  Program\\B.src\n"
            "Files copied: 3\n"
            "Errors: 2, warnings: 1\n"
            "Log: /l/Vantrel.log\n"
            "Backup: /l/Vantrel-backup-x\n");
}

TEST(Summary, NamesAtMostTenUnchangedFilesAndNoBackupAsNone) {
  RunRecord record;
  for (int i = 1; i <= 12; ++i) record.userFilesUnchanged.push_back("F" + std::to_string(i));
  std::string text = SummaryText(record, "L", "");
  EXPECT_NE(text.find("fold faults: 12\n  F1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  F10\n  and 2 more\nFiles copied: 0\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("F11"), std::string::npos);
  EXPECT_NE(text.find("System files upgraded: 0\nSystem files not upgraded: 0\n"
                      "Migration 5.x to 6.x: not run\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.substr(text.size() - 13), "Backup: none\n");
}

}  // namespace
