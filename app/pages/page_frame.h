// SPDX-License-Identifier: GPL-3.0-or-later
// The frame every page shares: a header band with an embossed bold label,
// a side panel with a decorative picture and an embossed word in a box,
// and the client area that holds the page's own controls.
#pragma once

#include <QColor>
#include <QWidget>

#include "pages/side_pictures.h"

class TRxLabel;

inline const QColor kHeaderColour(240, 202, 166);
inline const QColor kSidePanelColour(192, 220, 192);
inline const QColor kSideTextColour(128, 0, 0);  // maroon
inline constexpr int kHeaderHeight = 33;
inline constexpr int kSidePanelWidth = 209;

// A panel with an outer and an inner bevel, filled with its colour.
class TBevelPanel : public QWidget {
  Q_OBJECT

 public:
  enum class Bevel { kNone, kRaised, kLowered };
  TBevelPanel(Bevel outer, Bevel inner, QColor fill, QWidget* parent = nullptr);
  void SetPicture(const QPixmap& picture);  // stretched over the inside

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Bevel outer_;
  Bevel inner_;
  QColor fill_;
  QPixmap picture_;
};

struct PageFrame {
  TRxLabel* header_label = nullptr;
  TRxLabel* side_label = nullptr;
  QWidget* client = nullptr;  // the page's own controls go here
};

// Builds the frame on the page; names are given to the labels so a test
// can find them ("<page>HeaderLabel", "<page>SideLabel").
PageFrame BuildPageFrame(QWidget* page, const QString& header_text, const QString& side_text,
                         SidePicture picture);
