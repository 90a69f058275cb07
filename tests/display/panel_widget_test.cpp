#include "display/panel_widget.h"

#include <QImage>

#include "base/flight_values.h"
#include "base/traffic.h"
#include "tests/support/flight_test.h"

namespace {

using PanelWidgetTest = FlightTest;

// The panel drawn at its own size: panel point (x, y) is pixel
// (x, y - 222) of the widget.
QImage Paint() {
  InstrumentPanelWidget panel;
  panel.resize(InstrumentPanelWidget::kPanelArea.size());
  return panel.grab().toImage();
}

bool White(const QImage& image, int x, int y) {
  return image.pixelColor(x, y - InstrumentPanelWidget::kPanelArea.y()).lightness() > 200;
}

TEST_F(PanelWidgetTest, CalmStartShowsGridAndCalmWindAndAMarkerIsAFilledDiscAtTheThermal) {
  QImage image = Paint();
  EXPECT_TRUE(White(image, 2, 225));      // grid corner
  EXPECT_TRUE(White(image, 72, 260));     // centre line
  EXPECT_TRUE(White(image, 189, 320));    // wind shaft, upwind end at the bottom
  EXPECT_TRUE(White(image, 180, 354));    // its short barb
  EXPECT_FALSE(White(image, 30, 260));    // inside a cell
  EXPECT_FALSE(White(image, 76, 299));    // no marker
  EXPECT_FALSE(White(image, 200, 300));   // beside the shaft

  // A marker is a filled disc at the predicted thermal.
  g_dClimbPeak = 0.5;  // small disc (65, 288)-(79, 302) on the pilot
  image = Paint();
  EXPECT_TRUE(White(image, 76, 299));
  EXPECT_FALSE(White(image, 82, 305));
  g_dClimbPeak = 2;    // large disc (57, 245)-(87, 275), 0.5 km straight ahead
  g_dThermalDist = 0.5;
  image = Paint();
  EXPECT_TRUE(White(image, 80, 252));
  EXPECT_FALSE(White(image, 80, 290));
}

// The traffic the loop last published: a square without a track, an
// outline while quiet, filled while it alarms.
TEST_F(PanelWidgetTest, TrafficIsDrawnFromThePublishedPictureFilledWhileItAlarms) {
  TrafficPicture traffic;
  traffic.bDevice = true;
  TrafficTarget& target = traffic.targets.emplace_back();
  target.dNorth = 500, target.dEast = 200;  // a square around (86, 260)
  PublishTraffic(traffic);
  QImage image = Paint();
  EXPECT_TRUE(White(image, 83, 257));    // its corner
  EXPECT_FALSE(White(image, 86, 260));   // an outline
  traffic.targets[0].nAlarmLevel = 1;
  PublishTraffic(traffic);
  image = Paint();
  EXPECT_TRUE(White(image, 86, 260));    // filled
}

TEST_F(PanelWidgetTest, ThePanelScalesUniformlyAndCentresInItsWidget) {
  const QTransform twice = InstrumentPanelWidget::PanelTransform(QSize(464, 400));
  EXPECT_EQ(twice.map(QPointF(72, 295)), QPointF(144, 54 + 146));
  EXPECT_EQ(twice.map(QPointF(0, 222)), QPointF(0, 54));
}

}  // namespace
