#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/shell/MainFrame.h"
#include "tests/client/shell/ShellWorld.h"

namespace arkvale {
namespace {

// Stands in for the desktop's browser.
class Browser : public QObject {
  Q_OBJECT
 public slots:
  void Open(const QUrl& url) { opened.push_back(url); }

 public:
  std::vector<QUrl> opened;
};

TEST(HelpTopicsTest, OpensTheUserGuideBesideTheProgram) {
  test::ShellWorld w;
  CArkvaleDoc doc(w.prompt);
  CMainFrame frame(doc);
  Browser browser;
  QDesktopServices::setUrlHandler("file", &browser, "Open");
  frame.OnCommand(ids::kCommandHelpTopics);
  QDesktopServices::unsetUrlHandler("file");

  ASSERT_EQ(browser.opened.size(), 1u);
  QFile guide(browser.opened[0].toLocalFile());
  ASSERT_TRUE(guide.open(QIODevice::ReadOnly)) << guide.fileName().toStdString();
  EXPECT_TRUE(guide.readAll().contains("<title>Arkvale user guide</title>"));
  EXPECT_TRUE(w.prompt.boxes().empty());
}

}  // namespace
}  // namespace arkvale

#include "HelpTopicsTest.moc"
