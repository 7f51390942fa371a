// Help Topics: the user guide, an HTML page installed with the program, in the desktop's browser.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "client/document/ArkvaleDoc.h"
#include "client/shell/MainFrame.h"

namespace arkvale {

void CMainFrame::OnHelpTopics() {
  // bin/arkvale finds share/arkvale/help beside bin/, installed or in the build tree.
  const QString guide =
      QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/arkvale/help/index.html");
  if (QFileInfo::exists(guide) && QDesktopServices::openUrl(QUrl::fromLocalFile(guide))) return;
  doc_.prompt().ShowMessage("Cannot open the user guide " + guide.toStdString(), kCaption,
                            Icon::Error, Owner::MainWindow);
}

}  // namespace arkvale
