#pragma once
// A restore run in the backup run's temporary world, with a fake Restore dialog.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "client/session/ChildTools.h"
#include "client/transfer/RestoreRun.h"
#include "tests/client/transfer/BackupFixture.h"

namespace arkvale::test {

// The Restore dialog's bars as a run leaves them. onDecrypted runs each time the Decrypting bar
// goes back to 0, with the number of times so far.
class FakeRestoreDialog : public RestoreProgress {
 public:
  void SetTransmission(int position) override { Track(transmission, maxTransmission, position); }
  void SetDecrypting(int position) override {
    Track(decrypting, maxDecrypting, position);
    if (position == 0 && onDecrypted) onDecrypted(++decryptions);
  }
  void SetUncompressing(int position) override { Track(uncompressing, maxUncompressing, position); }
  void DisableStopButton() override { stopDisabled = true; }
  void ShowCompareResults(std::vector<CompareResult> results, std::string summary) override {
    compared = std::move(results);
    compareSummary = std::move(summary);
  }

  std::atomic<int> transmission{0}, decrypting{0}, uncompressing{0};
  std::atomic<int> maxTransmission{0}, maxDecrypting{0}, maxUncompressing{0};
  std::atomic<bool> stopDisabled{false};
  int decryptions = 0;
  std::function<void(int)> onDecrypted;
  std::vector<CompareResult> compared;
  std::string compareSummary;
};

class RestoreFixture : public BackupFixture {
 protected:
  void SetUp() override {
    BackupFixture::SetUp();
    restoreInProgress = true;
  }

  // The run is over and left nothing behind: flag, lock, stop file and data in transit.
  static void ExpectRunOver() {
    EXPECT_FALSE(restoreInProgress);
    EXPECT_FALSE(plat::FileExists("C:\\my_lock_file"));
    for (const char* temp : {kRestoreTempCpt, kRestoreTempFile, kRestoreTempGz}) {
      EXPECT_FALSE(plat::FileExists(temp)) << temp;
    }
  }

  static std::string Read(const std::string& windowsPath) {
    return TempWorld::ReadHostFile(Host(windowsPath));
  }

  // The row the index shows for a file as it is on disk now.
  static IndexEntry RowOf(const std::string& windowsPath) {
    auto status = plat::StatFile(windowsPath);
    EXPECT_TRUE(status) << windowsPath;
    if (!status) return {windowsPath, 0, 0};
    return {windowsPath, static_cast<int32_t>(status->size),
            static_cast<int32_t>(status->modificationTime)};
  }

  static constexpr const char* kSlowDecryption =
      "Decryption of a file being restored is progressing slowly\n"
      "This could be due to a very large file\n"
      "or due to an incorrect encrytion key\n"
      "Would you like to wait longer for this file to complete decryption\n"
      "or answer NO to continue without restoring this file";

  FakeRestoreDialog restoreDialog;
};

}  // namespace arkvale::test
