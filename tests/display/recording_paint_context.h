// A paint context that writes down what it is asked to draw, one text per
// operation: "pen", "move x y", "line x y", "ellipse l t r b", "restore".
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "display/instrument_panel.h"

class RecordingPaintContext : public PaintContext {
 public:
  void SelectWhitePen() override { ops.push_back("pen"); }
  void RestorePen() override { ops.push_back("restore"); }
  void MoveTo(int x, int y) override { Add("move", {x, y}); }
  void LineTo(int x, int y) override { Add("line", {x, y}); }
  void Ellipse(int l, int t, int r, int b) override { Add("ellipse", {l, t, r, b}); }

  std::vector<std::string> ops;

 private:
  void Add(std::string op, std::initializer_list<int> numbers) {
    for (int n : numbers) op += " " + std::to_string(n);
    ops.push_back(op);
  }
};
