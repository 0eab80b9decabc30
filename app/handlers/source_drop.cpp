// SPDX-License-Identifier: GPL-3.0-or-later
#include "handlers/source_drop.h"

#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "main_form.h"
#include "handlers/opened_paths.h"

namespace {

QStringList LocalPaths(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  }
  return paths;
}

// Picks the cursor's action among those the drag source offers; a source
// that offers no link still gets its drop, shown as a copy.
Qt::DropAction OfferedAction(Qt::DropAction wanted, Qt::DropActions offered) {
  if (wanted == Qt::IgnoreAction || (offered & wanted)) return wanted;
  if (offered & Qt::CopyAction) return Qt::CopyAction;
  return Qt::IgnoreAction;
}

class SourceDropFilter : public QObject {
 public:
  explicit SourceDropFilter(TMainForm& form) : QObject(&form), form_(form) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        // Nothing is taken while a run goes on.
        const Qt::DropAction action =
            form_.RunGoing() ? Qt::IgnoreAction
                             : OfferedAction(SourceDropAction(drag->mimeData(), form_.Options.output), drag->possibleActions());
        if (action == Qt::IgnoreAction) {
          drag->ignore();
        } else {
          drag->setDropAction(action);
          drag->accept();
        }
        return true;
      }
      case QEvent::DragLeave:
        return true;
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (form_.RunGoing()) {
          drop->ignore();
          return true;
        }
        const OpenedPaths opened = SortOpenedPaths(LocalPaths(drop->mimeData()), form_.Options.output);
        if (opened.empty()) {
          drop->ignore();
          return true;
        }
        drop->setDropAction(OfferedAction(SourceDropAction(drop->mimeData(), form_.Options.output), drop->possibleActions()));
        drop->accept();
        // Opened once the drop has returned: a job that fails shows a
        // message box, and the file manager that started the drag must not
        // wait for the user to close it.
        QTimer::singleShot(0, &form_, [form = &form_, opened] { OpenPathsInForm(*form, opened); });
        return true;
      }
      default:
        return QObject::eventFilter(watched, event);
    }
  }

 private:
  TMainForm& form_;
};

}  // namespace

Qt::DropAction SourceDropAction(const QMimeData* data, const ExportOptions& output) {
  const QStringList paths = LocalPaths(data);
  if (paths.isEmpty()) return Qt::IgnoreAction;
  // Mostly names are looked at here, as a drag moves over the window many
  // times a second; folders are listed only when dropped. A drag of
  // nothing but files the run does not stamp is refused.
  bool addable = false;
  for (const QString& path : paths) {
    if (path.endsWith(QStringLiteral(".stx"), Qt::CaseInsensitive)) return Qt::LinkAction;
    if (!addable) addable = RunStampsFile(path, output) || QFileInfo(path).isDir();
  }
  return addable ? Qt::CopyAction : Qt::IgnoreAction;
}

void InstallSourceDrop(TMainForm& form) {
  auto* filter = new SourceDropFilter(form);
  QWidget* targets[] = {form.sources.TabSheet1, form.sources.ListBox1->viewport()};
  for (QWidget* target : targets) {
    target->setAcceptDrops(true);
    target->installEventFilter(filter);
  }
}
