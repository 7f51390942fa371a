#pragma once
// A temporary drive table with a small tree on C:, the drive tree and the file list over one
// selection, and a prompt that records every box.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/selection/DriveView.h"
#include "client/selection/FileView.h"
#include "client/selection/Selection.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale::test {

class ViewsFixture : public ::testing::Test {
 protected:
  // C:\rootfile.txt, C:\data\{a,b}.txt, C:\data\sub\c.txt, C:\data\sub\deep\d.txt,
  // C:\pair\{p,q}.txt, C:\nofiles\only\x.txt, C:\empty.
  void SetUp() override;
  // Creates the file list, then the drive tree (which selects and expands the first fixed drive).
  void MakeViews();
  std::string HostC(const std::string& relative) const;
  // A drive entry in the table: letter, host target, kind ("" fixed, "removable", "cdrom").
  void AddDrive(char letter, const std::string& target, const std::string& kind);

  // The tree item whose path is path, among the items the tree holds.
  QTreeWidgetItem* Item(const std::string& path) const;
  QTreeWidgetItem* Expand(const std::string& path);
  void Select(const std::string& path);
  // What the user's click on the box of the item does (the control's own toggle).
  void ToggleBox(const std::string& path);
  // The file list's row of a file name.
  int Row(const std::string& name) const;
  std::vector<std::string> ChildTexts(const std::string& path) const;
  std::vector<std::string> ChosenDirectories() const;
  std::vector<std::string> ChosenFiles() const;

  TempWorld world;
  CSelection selection;
  RecordingPrompt prompt;
  std::unique_ptr<CFileView> files;
  std::unique_ptr<CDriveView> tree;
};

}  // namespace arkvale::test
