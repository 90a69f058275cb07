#include "display/panel_widget.h"

#include <QImage>

#include "base/flight_values.h"
#include "base/traffic.h"
#include "display/map_borders.h"
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

// The airspace borders the loop last handed over: dashed, unlike the
// grid's solid lines, and not past the map's edge.
TEST_F(PanelWidgetTest, AirspaceBordersAreDashedAndStayOnTheMap) {
  // An edge 300 m north of the pilot, 5 km each way: the row y = 274.
  PublishMapBorders(std::make_shared<const MapBorders>(MapBorders{{{-5000, 300}, {5000, 300}, 0}}));
  const QImage image = Paint();
  int white = 0, dark = 0;
  for (int x = 10; x < 135; ++x) (White(image, x, 274) ? white : dark) += 1;
  EXPECT_GT(white, 50) << "drawn";
  EXPECT_GT(dark, 30) << "dashed";
  for (int x = 10; x < 135; ++x) EXPECT_TRUE(White(image, x, 295)) << "the grid solid, at " << x;
  for (int x = 145; x < 160; ++x) EXPECT_FALSE(White(image, x, 274)) << "past the map, at " << x;
}

TEST_F(PanelWidgetTest, ThePanelScalesUniformlyAndCentresInItsWidget) {
  const QTransform twice = InstrumentPanelWidget::PanelTransform(QSize(464, 400));
  EXPECT_EQ(twice.map(QPointF(72, 295)), QPointF(144, 54 + 146));
  EXPECT_EQ(twice.map(QPointF(0, 222)), QPointF(0, 54));
}

}  // namespace
