// Presentation model of the "X ray source" dialog (X-ray tube or synchrotron
// with its polarisation p) and the operations of its controls.
#pragma once

#include <array>
#include <string>

namespace calvane {

struct PolarisationForm {
  static constexpr const char* kCaption = "X ray source";
  static constexpr const char* kHeading = "P=1- p + p.cos(2theta)^^2";
  static constexpr std::array<const char*, 2> kItems{"X Rays tube (p=0.5)", "Synchrotron source"};
  static constexpr const char* kPolarisationLabel = "p =";
  static constexpr int kTube = 0;
  static constexpr int kSynchrotron = 1;

  int chosen_item = -1;           // radio group, -1 when nothing is chosen
  bool panel_visible = false;     // the "p =" panel
  std::string polarisation_text;  // its edit box
  bool focus_in_polarisation = false;
};

/// What OK leaves to the caller.
enum class PolarisationExit {
  StaysOpen,        // the typed p was refused
  Closed,           // nothing to recompute
  ClosedRecompute,  // the source changed and phases exist: recompute and redraw them all
};

/// On activation: no item chosen, the panel hidden, the box empty.
void reset_polarisation_form(PolarisationForm& form);

/// A click on the radio group: "Synchrotron source" shows the panel and puts the focus in its box.
void onclick_event(PolarisationForm& form, int item);

}  // namespace calvane
