#include "tests/support/recording_view.h"

#include <algorithm>

namespace qm {
namespace {

std::string Colour(Rgb rgb) {
  return std::to_string(rgb.red) + "," + std::to_string(rgb.green) + "," + std::to_string(rgb.blue);
}

}  // namespace

RecordingView::RecordingView() {
  for (int k = 1; k <= 10; ++k) rowText[k - 1] = (k < 10 ? "Round 0" : "Round ") + std::to_string(k);
  rowBackground.fill(Rgb{64, 120, 64});
}

int RecordingView::Count(const std::string& event) const {
  return static_cast<int>(std::count(events.begin(), events.end(), event));
}

RunView RecordingView::View() {
  RecordingView* r = this;
  auto record = [r](const std::string& event) {
    r->events.push_back(event);
    if (r->onEvent) r->onEvent(event);
  };
  RunView view;
  view.disableStartButton = [record] { record("disableStartButton"); };
  view.addCountdownBars = [r, record] {
    r->countdownBar.fill(5);
    r->countdownBarsShown = true;
    record("addCountdownBars");
  };
  view.setCountdownBar = [r, record](int bar, int value) {
    r->countdownBar.at(bar - 1) = value;
    record("setCountdownBar " + std::to_string(bar) + " " + std::to_string(value));
  };
  view.hideCountdownBars = [r, record] {
    r->countdownBarsShown = false;
    record("hideCountdownBars");
  };
  view.showPicture = [r, record] {
    r->pictureShown = true;
    record("showPicture");
  };
  view.hidePicture = [r, record] {
    r->pictureShown = false;
    record("hidePicture");
  };
  view.setRowText = [r, record](int row, const Text& text) {
    r->rowText.at(row - 1) = Utf8(text);
    record("setRowText " + std::to_string(row) + " " + Utf8(text));
  };
  view.setRowBackground = [r, record](int row, Rgb background) {
    r->rowBackground.at(row - 1) = background;
    record("setRowBackground " + std::to_string(row) + " " + Colour(background));
  };
  view.setAverageText = [r, record](const Text& text) {
    r->averageText = Utf8(text);
    record("setAverageText " + Utf8(text));
  };
  view.setSpeedText = [r, record](const Text& text) {
    r->speedText = Utf8(text);
    record("setSpeedText " + Utf8(text));
  };
  view.setBytesText = [r, record](const Text& text) {
    r->bytesText = Utf8(text);
    record("setBytesText " + Utf8(text));
  };
  view.setSpeedBar = [r, record](int value) {
    r->speedBar = value;
    record("setSpeedBar " + std::to_string(value));
  };
  view.minimiseWindow = [r, record] {
    r->minimised = true;
    record("minimiseWindow");
  };
  view.restoreWindow = [r, record] {
    r->minimised = false;
    record("restoreWindow");
  };
  view.pumpEvents = [record] { record("pumpEvents"); };
  view.showMessage = [r, record](const Text& text) {
    r->messages.push_back(Utf8(text));
    record("showMessage " + Utf8(text));
  };
  view.saveSnapshot = [record] { record("saveSnapshot"); };
  view.endProgram = [r, record] {
    r->programEnded = true;
    record("endProgram");
  };
  return view;
}

}  // namespace qm
