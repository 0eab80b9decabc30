// SPDX-License-Identifier: GPL-3.0-or-later
// "Vorschau": a window beside the main window that shows one source
// stamped with the current settings and follows every change of them.
// Rendering runs on a worker thread; typing in the main window never waits
// for it. A burst of changes renders once, shortly after the last one.
#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <thread>

#include "state/preview_render.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QScrollArea;
class QTimer;

class TPreviewForm : public QWidget {
  Q_OBJECT

 public:
  // request_for(source) gives the render input for one listed source, read
  // from the main window's controls at that moment.
  using RequestFor = std::function<PreviewRequest(int list_index)>;
  explicit TPreviewForm(RequestFor request_for, QWidget* parent = nullptr);
  ~TPreviewForm() override;

  // The listed sources (as shown in the list) and the one to show.
  void SetSources(const QStringList& sources, int selected);
  // A setting changed: render again once the changes pause.
  void SettingsChanged();

  QComboBox* SourceBox = nullptr;
  QCheckBox* FullSizeCheck = nullptr;  // "100 %"
  QScrollArea* ScrollBox = nullptr;
  QLabel* PictureLabel = nullptr;
  QLabel* StateLabel = nullptr;

  // For tests: the last stamped picture shown, at full size, and the number
  // of renders finished.
  QImage shown() const { return stamped_ ? DibToImage(stamped_->dib) : QImage(); }
  int renders_finished() const { return renders_finished_; }

  // How long the preview waits after a change before it renders.
  static constexpr int kSettleMs = 40;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void start_render();
  void render_done(quint64 generation, std::shared_ptr<const SharedDib> stamped, QImage fitted, QString error,
                   QString output_size);
  void show_image();

  RequestFor request_for_;
  QStringList sources_;
  QTimer* settle_ = nullptr;
  bool rendering_ = false;
  bool again_ = false;
  quint64 generation_ = 0;
  std::shared_ptr<const SharedDib> stamped_;
  QImage fitted_;      // stamped_ fitted to the scroll box
  QSize fitted_room_;  // the scroll box's size fitted_ was made for
  int renders_finished_ = 0;
  // The loaded source, read and replaced only by the worker.
  PreviewSource cache_;
  std::thread worker_;
};
