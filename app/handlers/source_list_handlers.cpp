// SPDX-License-Identifier: GPL-3.0-or-later
// The source list: entries are full paths as the dialog returns them, in
// the order added; duplicates are allowed and nothing is checked.
#include <QListWidget>

#include "dialogs/open_filter.h"
#include "main_form.h"

void TMainForm::AddBtnClick() {
  // The further types join the filter only while the output options take them.
  const QStringList filter = Options.output.more_sources
                                 ? ConvertSourceOpenFilter(QString::fromUtf8(GetDIBOpenFilter()), Options.output)
                                 : OpenDialog1Filter;
  const QStringList chosen = dialogs_.choose_source_files(this, OpenDialog1Dir, filter);
  for (const QString& path : chosen) AppendSourceEntry(sources.ListBox1, path);
}

void TMainForm::DelBtnClick() {
  // From the last entry down, so the indices still to visit stay valid.
  QListWidget* list = sources.ListBox1;
  for (int i = list->count() - 1; i >= 0; --i) {
    if (list->item(i)->isSelected()) delete list->takeItem(i);
  }
}
