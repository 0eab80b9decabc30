// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/preview_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <thread>

#include "image/dib_access.h"
#include "run/failure_text.h"

namespace {

QString OutOfMemoryLabel() { return QString::fromStdString(OutOfMemoryText()); }

// The size the run writes the shown source at, as fitted on load; empty
// when the job keeps every picture's size.
QString OutputSizeLabel(const ExportSize& size, const PreviewSource& source) {
  if (size.mode == ExportSizeMode::kNone || !source.picture) return QString();
  return QStringLiteral("Ausgabe: %1 x %2 Pixel (Quelle: %3 x %4 Pixel)")
      .arg(DibWidth(source.picture->dib))
      .arg(DibHeight(source.picture->dib))
      .arg(source.source_width)
      .arg(source.source_height);
}

}  // namespace

TPreviewForm::TPreviewForm(RequestFor request_for, QWidget* parent)
    : QWidget(parent, Qt::Window), request_for_(std::move(request_for)) {
  setObjectName(QStringLiteral("PreviewForm"));
  setWindowTitle(QStringLiteral("Vorschau"));
  resize(720, 560);

  SourceBox = new QComboBox(this);
  SourceBox->setObjectName(QStringLiteral("SourceBox"));
  SourceBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  SourceBox->setMinimumContentsLength(30);
  FullSizeCheck = new QCheckBox(QStringLiteral("100 %"), this);
  FullSizeCheck->setObjectName(QStringLiteral("FullSizeCheck"));
  StateLabel = new QLabel(this);
  StateLabel->setObjectName(QStringLiteral("StateLabel"));
  ScrollBox = new QScrollArea(this);
  ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
  ScrollBox->setAlignment(Qt::AlignCenter);
  ScrollBox->setBackgroundRole(QPalette::Dark);
  PictureLabel = new QLabel;
  PictureLabel->setObjectName(QStringLiteral("PictureLabel"));
  PictureLabel->setAlignment(Qt::AlignCenter);
  ScrollBox->setWidget(PictureLabel);
  ScrollBox->setWidgetResizable(false);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Bild:"), this));
  top->addWidget(SourceBox, 1);
  top->addWidget(FullSizeCheck);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(ScrollBox, 1);
  layout->addWidget(StateLabel);

  settle_ = new QTimer(this);
  settle_->setSingleShot(true);
  settle_->setInterval(kSettleMs);
  connect(settle_, &QTimer::timeout, this, &TPreviewForm::start_render);
  connect(SourceBox, &QComboBox::currentIndexChanged, this, [this] { SettingsChanged(); });
  connect(FullSizeCheck, &QCheckBox::toggled, this, [this] { show_image(); });
}

TPreviewForm::~TPreviewForm() {
  // The worker stamps with Qt's fonts: it must end before the window does.
  if (worker_.joinable()) worker_.join();
}

void TPreviewForm::SetSources(const QStringList& sources, int selected) {
  if (sources != sources_) {
    sources_ = sources;
    const QSignalBlocker block(SourceBox);
    SourceBox->clear();
    for (const QString& source : sources) SourceBox->addItem(QFileInfo(source).fileName(), source);
  }
  if (selected >= 0 && selected < sources.size()) {
    const QSignalBlocker block(SourceBox);
    SourceBox->setCurrentIndex(selected);
  }
  SettingsChanged();
}

void TPreviewForm::SettingsChanged() { settle_->start(); }

void TPreviewForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  SettingsChanged();
}

void TPreviewForm::start_render() {
  if (!isVisible()) return;  // rendered again when shown
  if (rendering_) {
    again_ = true;  // the newest settings are read when this render ends
    return;
  }
  const int index = SourceBox->currentIndex();
  if (index < 0) {
    stamped_.reset();
    PictureLabel->clear();
    StateLabel->setText(QStringLiteral("Keine Quelldatei in der Liste"));
    return;
  }
  PreviewRequest request;
  try {
    request = request_for_(index);
  } catch (...) {
    // Short of memory for the copies: the preview waits for the next change.
    StateLabel->setText(OutOfMemoryLabel());
    return;
  }
  if (worker_.joinable()) worker_.join();  // finished: it has reported
  rendering_ = true;
  again_ = false;
  const quint64 generation = ++generation_;
  StateLabel->setText(QStringLiteral("Wird berechnet..."));
  const QSize room = ScrollBox->viewport()->size();
  fitted_room_ = room;
  worker_ = std::thread([this, generation, room, request = std::move(request)] {
    std::shared_ptr<const SharedDib> stamped;
    QImage fitted;
    QString error;
    QString output_size;
    try {
      // Only this worker touches the cache while it runs.
      cache_ = LoadPreviewSource(request.source, request.job.output, cache_);
      stamped = RenderPreview(request, cache_);
      output_size = OutputSizeLabel(request.job.output.size, cache_);
      // The fitted view is scaled here too, so the window's thread only shows it.
      if (stamped) fitted = FittedDibImage(stamped->dib, room);
      error = QString::fromStdString(cache_.error);
    } catch (...) {
      // An error must not leave this thread; the window says what happened.
      stamped.reset();
      fitted = QImage();
      cache_ = PreviewSource{};
      error = OutOfMemoryLabel();
    }
    // Dropped by Qt when the window is gone by the time it is delivered.
    QMetaObject::invokeMethod(
        this,
        [this, generation, stamped = std::move(stamped), fitted = std::move(fitted), error, output_size] {
          render_done(generation, stamped, fitted, error, output_size);
        },
        Qt::QueuedConnection);
  });
}

void TPreviewForm::render_done(quint64 generation, std::shared_ptr<const SharedDib> stamped, QImage fitted,
                               QString error, QString output_size) {
  rendering_ = false;
  if (generation == generation_) {
    stamped_ = std::move(stamped);
    fitted_ = std::move(fitted);
    ++renders_finished_;
    if (!error.isEmpty())
      StateLabel->setText(error);
    else if (stamped_ && !output_size.isEmpty())
      StateLabel->setText(output_size);
    else if (stamped_)
      StateLabel->setText(
          QStringLiteral("%1 x %2 Pixel").arg(DibWidth(stamped_->dib)).arg(DibHeight(stamped_->dib)));
    else
      StateLabel->setText(OutOfMemoryLabel());
    show_image();
  }
  if (again_) start_render();
}

void TPreviewForm::show_image() {
  if (!stamped_) {
    PictureLabel->clear();
    PictureLabel->resize(ScrollBox->viewport()->size());
    return;
  }
  QPixmap pixmap;
  if (FullSizeCheck->isChecked()) {
    pixmap = QPixmap::fromImage(DibToImage(stamped_->dib));
  } else {
    const QSize room = ScrollBox->viewport()->size();
    if (room != fitted_room_) fitted_ = FittedDibImage(stamped_->dib, room);  // resized since
    fitted_room_ = room;
    pixmap = QPixmap::fromImage(fitted_);
  }
  PictureLabel->setPixmap(pixmap);
  PictureLabel->resize(
      pixmap.size().expandedTo(FullSizeCheck->isChecked() ? QSize() : ScrollBox->viewport()->size()));
}

void TPreviewForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!FullSizeCheck->isChecked()) show_image();
}
