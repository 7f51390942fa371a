// Times the Restore command of the real main window against a running arkvale-server holding
// many files: from the command to the list painted in the shown dialog, one click on each column
// heading, and the bare exchange on the same connection for comparison.
//   arkvale-list-bench PORT WORK_DIR USER PASSWORD
// WORK_DIR becomes the client's data root; the server's data directory lies beside it
// (bench/with-server.sh). The account is filled to 1,000, 10,000 and 100,000 files in turn.
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "bench/BenchSinks.h"
#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/session/Framing.h"
#include "client/session/Session.h"
#include "client/shell/MainFrame.h"
#include "client/transfer/RestoreDlg.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Sockets.h"

using namespace arkvale;

namespace {

constexpr int kRepeats = 3;
// The pause every holder of the communications lock makes as it lets go.
constexpr double kLockPause = 0.3;

class QuietPrompt : public Prompt {
 public:
  void ShowMessage(const std::string& text, const std::string&, Icon, Owner) override {
    std::cerr << "box: " << text << "\n";
  }
  bool AskYesNo(const std::string&, const std::string&, Icon, Owner) override { return true; }
};

// Marks the first paint of the Restore dialog's list. Watches the whole application: the dialog
// may show and paint before the command returns.
class PaintWatch : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::Paint && !painted) {
      auto* widget = qobject_cast<QWidget*>(object);
      painted = widget != nullptr && qobject_cast<QTableView*>(widget->parentWidget()) != nullptr &&
                qobject_cast<CRestoreDlg*>(widget->window()) != nullptr;
    }
    return false;
  }
};

// Sleeps between looks instead of spinning: the retrieval's thread needs the processor.
void WaitUntil(const std::function<bool()>& done) {
  QTimer tick;
  tick.start(2);
  while (!done()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// "SEND_BACKED_UP_FILES", the length, "OK" and the listing, as fast as the socket gives it.
double BareExchange(int socket) {
  QElapsedTimer clock;
  clock.start();
  SendWord(socket, "SEND_BACKED_UP_FILES");
  const long length = std::atol(ReceiveReply(socket, kReplyCapacity).c_str());
  SendWord(socket, "OK");
  std::vector<char> buffer(1 << 20);
  long received = 0;
  while (received < length) {
    long got = ReceiveData(socket, buffer.data(),
                           std::min<long>(static_cast<long>(buffer.size()), length - received));
    if (got <= 0) {
      std::cerr << "listing cut off\n";
      break;
    }
    received += got;
  }
  return clock.nsecsElapsed() / 1e9;
}

struct Figures {
  int rows = 0;
  double bare = 0, shown = 0, released = 0;
  double sort[3] = {0, 0, 0};
  double nameAgain = 0;  // the name heading clicked a second time, its order already made
};

Figures Measure(CMainFrame& frame) {
  Figures f;
  std::vector<double> bare, shown, released, sorts[3], nameAgain;
  for (int r = 0; r < kRepeats; ++r) {
    bare.push_back(BareExchange(frame.session().sessionSocket));

    QElapsedTimer clock;
    clock.start();
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    frame.OnCommand(ids::kCommandRestore);
    CRestoreDlg* dialog = frame.restoreDialog();
    QTableView* list = dialog->findChild<QTableView*>();
    WaitUntil([&] { return dialog->isVisible() && watch.painted; });
    shown.push_back(clock.nsecsElapsed() / 1e9);
    WaitUntil([] { return !plat::FileExists(kCommsLockPath); });
    released.push_back(clock.nsecsElapsed() / 1e9);
    f.rows = list->model()->rowCount();

    // A click on each heading, then on the name again (from an order that is not by name).
    QHeaderView* header = list->horizontalHeader();
    for (int click = 0; click < 4; ++click) {
      const int column = click % 3;
      QElapsedTimer clock;
      clock.start();
      emit header->sectionClicked(column);
      list->viewport()->repaint();
      (click < 3 ? sorts[column] : nameAgain).push_back(clock.nsecsElapsed() / 1e9);
    }
    qApp->removeEventFilter(&watch);
    dialog->close();
    WaitUntil([&] { return frame.restoreDialog() == nullptr; });
  }
  f.bare = bench::Median(bare);
  f.shown = bench::Median(shown);
  f.released = bench::Median(released);
  for (int c = 0; c < 3; ++c) f.sort[c] = bench::Median(sorts[c]);
  f.nameAgain = bench::Median(nameAgain);
  return f;
}

// Adds files to the account until it holds total, straight into the server's catalog (it lies
// beside the client's directory): paths under a few hundred folders with random names, sizes and
// times. The data itself is not needed for a listing.
bool FillCatalog(const std::string& clientDir, const std::string& user, int from, int total) {
  const std::string catalog = clientDir + "/../server/catalog.sqlite";
  const std::string sql =
      "WITH RECURSIVE n(i) AS (SELECT " + std::to_string(from) +
      " UNION ALL SELECT i + 1 FROM n WHERE i + 1 < " + std::to_string(total) +
      ") INSERT INTO files(user, path, size, modified, stored_bytes, object) SELECT CAST('" + user +
      "' AS BLOB), CAST(printf('C:\\Users\\bench\\Documents\\Folder %d\\Report %s.txt', "
      "i % 331, lower(hex(randomblob(5)))) AS BLOB), abs(random() % 50000000), "
      "1000000000 + abs(random() % 700000000), 1024, 'none' FROM n;";
  const std::string command = "sqlite3 '" + catalog + "' \"" + sql + "\"";
  return std::system(command.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: arkvale-list-bench PORT WORK_DIR USER PASSWORD\n";
    return 2;
  }
  QApplication app(argc, argv);
  const uint16_t port = static_cast<uint16_t>(std::atoi(argv[1]));
  QuietPrompt prompt;
  if (!bench::PrepareClient(argv[2], argv[3], argv[4], "bench", prompt)) return 1;
  std::printf("%8s %10s %10s %7s %12s %8s %8s %8s %8s\n", "files", "bare (s)", "shown (s)", "ratio",
              "released (s)", "name", "size", "time", "name 2nd");
  int stored = 0;
  for (int total : {1000, 10000, 100000}) {
    if (!FillCatalog(argv[2], argv[3], stored, total)) {
      std::cerr << "could not fill the catalog\n";
      return 1;
    }
    stored = total;
    CArkvaleDoc doc(prompt);
    CMainFrame frame(doc);
    frame.session().serverPort = port;
    if (frame.session().ConnectAutomatically() != 0) {
      std::cerr << "connection failed\n";
      return 1;
    }
    Figures f = Measure(frame);
    // "shown" ends with the list painted; "released" when the lock's pause is over too.
    std::printf("%8d %10.3f %10.3f %6.2fx %12.3f %7.1fms %6.1fms %6.1fms %6.1fms\n", f.rows, f.bare,
                f.shown, f.bare / f.shown, f.released, f.sort[0] * 1e3, f.sort[1] * 1e3,
                f.sort[2] * 1e3, f.nameAgain * 1e3);
    std::fflush(stdout);
    plat::SocketClose(frame.session().sessionSocket);
    frame.session().sessionSocket = -1;
  }
  std::printf("(the lock's pause of %.1f s follows the dialog: \"released\")\n", kLockPause);
  return 0;
}
