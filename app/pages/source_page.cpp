// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/source_page.h"

#include <QGroupBox>
#include <QListWidget>
#include <QVBoxLayout>

#include "widgets/bit_btn_xp.h"
#include "pages/page_controls.h"
#include "pages/page_frame.h"

namespace {
constexpr int kMargin = 8;
constexpr int kButtonStripHeight = 48;
}  // namespace

SourcePage BuildSourcePage(QWidget* parent) {
  SourcePage page;
  page.TabSheet1 = new QWidget(parent);
  page.TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  const PageFrame frame = BuildPageFrame(
      page.TabSheet1,
      QStringLiteral("Quelldateien wählen - Sie können hier beliebig viele Quelldateien hinzufügen"),
      QStringLiteral("Quelldateien wählen..."), SidePicture::kSources);

  auto* client_layout = new QVBoxLayout(frame.client);
  client_layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  page.GroupBox1 = new QGroupBox(QStringLiteral("Quelldateien"), frame.client);
  page.GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  client_layout->addWidget(page.GroupBox1);

  auto* group_layout = new QVBoxLayout(page.GroupBox1);
  group_layout->setContentsMargins(kMargin, kMargin, kMargin, 0);
  group_layout->setSpacing(0);
  page.ListBox1 = new QListWidget(page.GroupBox1);
  page.ListBox1->setObjectName(QStringLiteral("ListBox1"));
  page.ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  page.ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  page.ListBox1->setTextElideMode(Qt::ElideNone);  // long paths are cut at the right edge
  page.ListBox1->setUniformItemSizes(true);
  page.ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  group_layout->addWidget(page.ListBox1, 1);

  auto* strip = new QWidget(page.GroupBox1);
  strip->setFixedHeight(kButtonStripHeight);
  group_layout->addWidget(strip);
  page.AddBtn = new TBitBtnXP(QStringLiteral("&Hinzufügen..."), TBitBtnKind::kAll, strip);
  page.AddBtn->setObjectName(QStringLiteral("AddBtn"));
  page.AddBtn->setGeometry(8, 12, 97, 25);
  // The cancel kind gives the stock glyph only: Esc must never remove entries.
  page.DelBtn = new TBitBtnXP(QStringLiteral("&Löschen"), TBitBtnKind::kCancel, strip);
  page.DelBtn->setObjectName(QStringLiteral("DelBtn"));
  page.DelBtn->setGeometry(112, 12, 97, 25);
  page.DelBtn->SetCancel(false);
  return page;
}

void AppendSourceEntry(QListWidget* list, const QString& path) {
  auto* item = new QListWidgetItem(path, list);
  item->setSizeHint(QSize(0, kSourceItemHeight));
}
