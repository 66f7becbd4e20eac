// What the user must be able to read: the percentage on every indicator fill,
// and Qt's own dialog texts in the program's language.
#include "glob.h"
#include "program_fixture.h"
#include "userint.h"

#include <QCoreApplication>
#include <QImage>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

namespace kovo::testing {
namespace {

double luminance(QRgb pixel) {
  const auto linear = [](int channel) {
    const double value = channel / 255.0;
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
}

double contrast(QRgb a, QRgb b) {
  const double first = luminance(a);
  const double second = luminance(b);
  return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// The strongest contrast against the fill in the middle of a full bar, where
// the percentage stands and no frame is drawn.
double text_contrast_on_fill(QProgressBar& bar, QRgb fill) {
  bar.setValue(bar.maximum());
  const QImage image = bar.grab().toImage();
  double strongest = 1.0;
  for (int y = image.height() / 4; y < image.height() * 3 / 4; ++y) {
    for (int x = image.width() * 3 / 10; x < image.width() * 7 / 10; ++x) {
      strongest = std::max(strongest, contrast(image.pixel(x, y), fill));
    }
  }
  return strongest;
}

using Readability = ProgramTest;

TEST_F(Readability, PercentageStandsOutOnEveryFillColour) {
  run_program([this] {
    int checked = 0;
    for (QProgressBar* bar : window()->findChildren<QProgressBar*>()) {
      if (!bar->isTextVisible()) continue;
      ++checked;
      const QString name = bar->objectName();
      bar->resize(300, bar->sizeHint().height());
      const QRgb initial = bar->palette().color(QPalette::Highlight).rgb();
      EXPECT_GE(text_contrast_on_fill(*bar, initial), 4.5) << name.toStdString() << " before any colour is set";
      for (const int fill : {0xFFFF00, 0x00FF00, 0xFF0000}) {
        SetCtrlAttribute(MAIN_P, bar->property("ctrlId").toInt(), ATTR_FILL_COLOR, fill);
        EXPECT_GE(text_contrast_on_fill(*bar, 0xFF000000u | static_cast<QRgb>(fill)), 4.5)
            << name.toStdString() << " on " << std::hex << fill;
      }
    }
    EXPECT_GE(checked, 1) << "the programming indicator shows its percentage";
  });
}

TEST_F(Readability, QtDialogTextsFollowTheLanguage) {
  const auto look_in = [] { return QCoreApplication::translate("QFileDialog", "Look in:"); };
  const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
  run_program([&] {
    EXPECT_EQ(look_in(), "Suchen in:") << "German from the start";
    EXPECT_EQ(cancel(), "Abbrechen");
    click("PANEL_ENGLISH");
    EXPECT_EQ(look_in(), "Look in:");
    EXPECT_EQ(cancel(), "Cancel");
    click("PANEL_GERMAN");
    EXPECT_EQ(look_in(), "Suchen in:");
  });
}

} // namespace
} // namespace kovo::testing
