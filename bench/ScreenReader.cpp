// A stand-in for a screen reader, for bench/window-bench.sh: it asks the accessibility registry
// for every object, window and focus event, as a screen reader does, so the program under test
// sends them over the accessibility bus, and takes each one off the bus. At its end (SIGTERM)
// it prints how many it received.
//   arkvale-screen-reader
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t stopAsked = 0;

class Listener : public QObject {
  Q_OBJECT
 public:
  long events = 0;
 public slots:
  void OnEvent(const QDBusMessage&) { ++events; }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QDBusMessage ask =
      QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress");
  QDBusReply<QString> address = QDBusConnection::sessionBus().call(ask);
  if (!address.isValid()) {
    std::fprintf(stderr, "screen reader: no accessibility bus\n");
    return 1;
  }
  QDBusConnection bus = QDBusConnection::connectToBus(address.value(), "a11y");
  if (!bus.isConnected()) {
    std::fprintf(stderr, "screen reader: cannot connect to the accessibility bus\n");
    return 1;
  }
  Listener listener;
  for (const char* face : {"org.a11y.atspi.Event.Object", "org.a11y.atspi.Event.Window",
                           "org.a11y.atspi.Event.Focus"}) {
    bus.connect(QString(), QString(), face, QString(), &listener, SLOT(OnEvent(QDBusMessage)));
  }
  for (const char* event : {"object:", "window:", "focus:"}) {
    bus.call(QDBusMessage::createMethodCall("org.a11y.atspi.Registry", "/org/a11y/atspi/registry",
                                            "org.a11y.atspi.Registry", "RegisterEvent")
             << QString::fromLatin1(event));
  }
  std::signal(SIGTERM, [](int) { stopAsked = 1; });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [] {
    if (stopAsked) QCoreApplication::quit();
  });
  poll.start(100);
  std::printf("screen reader: listening\n");
  std::fflush(stdout);
  QCoreApplication::exec();
  std::printf("screen reader: %ld events received\n", listener.events);
  return 0;
}

#include "ScreenReader.moc"
