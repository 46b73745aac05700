// How responsive the window stays during a weather query against a site that takes 2 s for
// every page: a 10 ms timer in the window records the longest gap between its ticks. For
// comparison the same query runs once more with the transfers blocking the window's thread.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/Look.h"
#include "app/MainWindow.h"
#include "app/Queries.h"
#include "bench/LocalSite.h"
#include "web/PendingMessages.h"
#include "web/WebRequest.h"

namespace {

struct Measurement {
  qint64 longestGap = 0;
  qint64 total = 0;
};

Measurement MeasureWeatherQuery(tovrenic::MainWindow& window,
                                const tovrenic::bench::LocalSite& site) {
  QElapsedTimer clock;
  qint64 last = 0;
  qint64 longest = 0;
  QTimer ticks;
  ticks.setInterval(10);
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    longest = std::max(longest, now - last);
    last = now;
  });
  QTimer::singleShot(0, &window, [&] {
    clock.start();
    ticks.start();
    tovrenic::RunQuery(window, [&] {
      tovrenic::QueryWeather(window, [&](const tovrenic::Text& url) {
        return tovrenic::WebRequest(tovrenic::Text(site.LocalUrl(url.str())));
      });
    });
    ticks.stop();
    longest = std::max(longest, clock.elapsed() - last);
    QCoreApplication::quit();
  });
  QCoreApplication::exec();
  return {longest, clock.elapsed()};
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tovrenic::ApplyApplicationLook();
  tovrenic::InstallRequestHooks();
  tovrenic::MainWindow window;
  window.show();
  const tovrenic::bench::LocalSite site(/*secure=*/false, std::chrono::seconds(2));

  const Measurement responsive = MeasureWeatherQuery(window, site);
  tovrenic::SetTransferWaiter({});  // transfers block the window's thread, as a frozen window
  const Measurement frozen = MeasureWeatherQuery(window, site);
  std::printf("responsiveness: longest gap between 10 ms ticks during a weather query of five "
              "2 s pages (%.1f s): %lld ms (goal <= 100 ms); with blocking transfers: %lld ms\n",
              static_cast<double>(responsive.total) / 1000,
              static_cast<long long>(responsive.longestGap),
              static_cast<long long>(frozen.longestGap));
  return 0;
}
