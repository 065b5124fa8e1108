#pragma once
// 格律檢查 on the conversion page: the poems of a text (separated by empty lines) checked against
// the Pingshui groups of the application folder, shown in a window of their own, made on the
// first check.

#include <QObject>
#include <QString>
#include <memory>

class QDialog;
class QTextBrowser;
class QWidget;

namespace ravlek {

class TFDQuery;
namespace metre {
struct KeptMetreSources;
}

class MetreView : public QObject {
  Q_OBJECT

 public:
  // The results window belongs to `owner`; the dataset of every row outlives the view. What the
  // metre reads is kept in `keptMetreSources`, shared with the conversion page.
  MetreView(QWidget* owner, TFDQuery& sqlRows,
            std::shared_ptr<metre::KeptMetreSources> keptMetreSources);
  ~MetreView() override;

  // Checks the poems of `text` and shows the results.
  void Check(const QString& text);

  QDialog* Metre_Form = nullptr;
  QTextBrowser* Metre_TntMemo = nullptr;
  std::shared_ptr<metre::KeptMetreSources> keptMetreSources;

 private:
  QWidget* const owner_;
  TFDQuery* const FDQuerySQLRavlekTable;
};

}  // namespace ravlek
