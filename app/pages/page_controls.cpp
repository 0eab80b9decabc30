// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/page_controls.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>

#include "run/placement.h"
#include "widgets/rx_spin_edit.h"
#include "widgets/track_bar.h"

QLabel* MakeLabel(QWidget* parent, const QString& text, QPoint at) {
  auto* label = new QLabel(text, parent);
  label->move(at);
  label->adjustSize();
  return label;
}

TRxSpinEdit* MakeIntegerEdit(QWidget* parent, const char* name, QPoint at, int width, double value) {
  auto* edit = new TRxSpinEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->SetIntegerMode(true);
  edit->ClearBounds();
  edit->SetValue(value);
  edit->setGeometry(at.x(), at.y(), width, 21);
  return edit;
}

QComboBox* MakePlacementList(QWidget* parent, const char* name, QPoint at, int count) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QString::fromLatin1(name));
  for (int i = 0; i < count && i < kPlacementCount; ++i) list->addItem(QString::fromUtf8(kPlacementNames[i]));
  list->setCurrentIndex(-1);
  list->setMaxVisibleItems(count);
  list->setGeometry(at.x(), at.y(), 145, 21);
  return list;
}

QSlider* MakeTransparencyBar(QWidget* parent, const char* name, QPoint at, int value) {
  auto* bar = new TTrackBar(Qt::Horizontal, parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setRange(0, 100);
  bar->setTickInterval(10);
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setSingleStep(1);
  bar->setPageStep(10);
  bar->setValue(value);
  bar->setGeometry(at.x(), at.y(), 161, 45);
  // Level with the bar's groove, in the free space right of the bar.
  auto* shown = new QLabel(parent);
  shown->setObjectName(QString::fromLatin1(name) + QStringLiteral("Value"));
  shown->setGeometry(at.x() + 165, at.y() + 10, 44, 17);
  auto show = [shown](int position) { shown->setText(QStringLiteral("%1 %").arg(position)); };
  show(value);
  QObject::connect(bar, &QSlider::valueChanged, shown, show);
  return bar;
}

QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& caption, QPoint at) {
  auto* radio = new QRadioButton(caption, parent);
  radio->setObjectName(QString::fromLatin1(name));
  radio->setGeometry(at.x(), at.y(), radio->sizeHint().width(), 17);
  return radio;
}

void AssignRadio(QRadioButton* button, bool checked) {
  if (checked) {
    button->setChecked(true);
    return;
  }
  // Qt refuses to uncheck an auto-exclusive button, hence the switch
  // around it.
  button->setAutoExclusive(false);
  button->setChecked(false);
  button->setAutoExclusive(true);
}
