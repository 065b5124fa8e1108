#pragma once
// A named dataset: a statement, the rows of its last run held in memory (every value as text,
// null kept apart from empty), a filter expression with its switch, and a current row.
// Filter changes are evaluated over the held rows; they never run a statement.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace ravlek {

class TFDConnection;

// The refusal of an edit whose field someone else changed after it was read.
inline const QString kEditConflictMessage = QStringLiteral(
    "您的修改沒有存入：這筆資料在您讀取之後已被其他使用者修改。您輸入的文字仍保留在欄位中；"
    "再次存入（離開這筆資料）時，將以您的文字取代對方的修改。");

class TFDQuery {
 public:
  TFDQuery(TFDConnection& connection, QString name, QString statement);
  ~TFDQuery();
  TFDQuery(const TFDQuery&) = delete;
  TFDQuery& operator=(const TFDQuery&) = delete;

  const QString& Name() const;

  // --- statement and state
  void SetSQL(const QString& statement);  // only on a closed dataset (raises Error otherwise)
  void Open();  // runs the statement, holds its rows; raises Error with the engine's message
  // Opens holding the rows that `source` holds, without running the statement again, when
  // `source` is open on the same connection with the same statement; otherwise as Open(). The two
  // share one read (copy on write): an edit stored through one is seen by the other only after
  // it reads the rows again, as if each had read them itself.
  void OpenSharing(const TFDQuery& source);
  const QString& SQL() const;
  TFDConnection& Connection() const;
  void Close();  // drops the rows; statement, filter and switch stay
  bool Active() const;

  // --- filter (raises Error naming the position for an expression it cannot read)
  void FilterOff();
  void SetFilter(const QString& expression);
  void FilterOn();
  const QString& Filter() const;

  // --- navigation over the passing rows
  bool FindFirst();
  bool FindNext();
  // The current row's value; null reads as empty. Raises Error naming an unknown field.
  QString FieldByName(const QString& field) const;

  // --- the passing rows as a table, for the grid (index 0 .. RecordCount()-1)
  int RecordCount() const;
  int RecNo() const;                // index of the current row among the passing rows, -1 when none
  void SetRecNo(int passingIndex);  // makes that row current (stores a pending edit first)
  QStringList FieldNames() const;
  int FieldIndex(const QString& field) const;  // -1 when unknown
  QString Text(int passingIndex, int fieldIndex) const;
  // The same without a copy; valid until the rows, the filter or the pending edit change.
  QStringView TextView(int passingIndex, int fieldIndex) const;
  bool IsNull(int passingIndex, int fieldIndex) const;

  // --- edits of the current row, stored into the table (by the row's key) when the row is left:
  // another row becomes current, the filter changes or the dataset closes; or by Post().
  void Edit(const QString& field, const QString& text);
  bool Modified() const;
  // Runs OnUpdateData, then writes; raises Error and keeps the edit on failure. When another user
  // changed an edited field since it was read, the edit is refused with kEditConflictMessage and
  // kept; the held value becomes the other user's, so that the next store writes the edit.
  void Post();

  // Reported before an edit is stored.
  std::function<void()> OnUpdateData;
  // Reported after the passing rows or the current row changed.
  std::function<void()> OnDataChange;
  // Changes whenever the held or the passing rows change (not when only the current row moves),
  // so that a view can tell a new set of rows from a move within it.
  quint64 RowsVersion() const;

  // Told true before a statement runs and false after it, for a busy pointer; set by the window.
  inline static std::function<void(bool busy)> OnBusy;

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace ravlek
