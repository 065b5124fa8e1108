#include "dictionary/dataset_store.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include "base/error.h"
#include "dictionary/dataset.h"

namespace ravlek {

void StoreRowEdits(QSqlDatabase& db, const QString& datasetName, const QString& table,
                   const QStringList& keyFields, HeldRows& rows, int row, RowEdits& pending) {
  const auto fail = [&datasetName](const QString& message) {
    throw Error(QStringLiteral("%1: %2").arg(datasetName, message));
  };
  QSqlDriver* driver = db.driver();
  QStringList assignments;
  QStringList fields;
  for (const auto& edit : pending) {
    fields.append(driver->escapeIdentifier(rows.fieldNames[edit.first], QSqlDriver::FieldName));
    assignments.append(fields.last() + QStringLiteral("=?"));
  }
  // The row by its key; the key fields were escaped when the rows were read.
  QStringList keyConditions;
  for (const QString& key : keyFields) keyConditions.append(key + QStringLiteral("=?"));
  // An edited field must still hold what was read: someone else's change is never overwritten
  // without notice.
  QStringList conditions = keyConditions;
  for (qsizetype i = 0; i < fields.size(); ++i) {
    const bool wasNull =
        rows.columns[static_cast<size_t>(pending[static_cast<size_t>(i)].first)].IsNull(row);
    conditions.append(fields[i] + (wasNull ? QStringLiteral(" IS NULL") : QStringLiteral("=?")));
  }
  const auto bindKey = [&](QSqlQuery& query) {
    for (size_t i = 0; i < rows.keyColumns.size(); ++i) {
      const HeldColumn& key = rows.keyColumns[i];
      // A key value is bound as it was read: the rowid as a number, key fields as text.
      if (key.IsNull(row)) {
        query.addBindValue(QVariant(QMetaType(QMetaType::QString)));
      } else if (keyFields[static_cast<qsizetype>(i)] == QLatin1String("rowid")) {
        query.addBindValue(key.View(row).toString().toLongLong());
      } else {
        query.addBindValue(key.View(row).toString());
      }
    }
  };
  QSqlQuery update(db);
  const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                          .arg(table, assignments.join(QStringLiteral(", ")),
                               conditions.join(QStringLiteral(" AND ")));
  if (!update.prepare(sql)) fail(update.lastError().text().trimmed());
  // An emptied text is stored as empty text, never as null.
  for (const auto& edit : pending) {
    update.addBindValue(edit.second.isNull() ? QStringLiteral("") : edit.second);
  }
  bindKey(update);
  for (const auto& edit : pending) {
    const HeldColumn& column = rows.columns[static_cast<size_t>(edit.first)];
    if (!column.IsNull(row)) update.addBindValue(column.View(row).toString());
  }
  if (!update.exec()) fail(update.lastError().text().trimmed());
  if (update.numRowsAffected() > 0) {
    for (const auto& edit : pending) {
      rows.columns[static_cast<size_t>(edit.first)].Replace(row, edit.second);
    }
    pending.clear();
    return;
  }

  // Nothing was written: the row is gone, or one of the fields changed since it was read.
  QSqlQuery now(db);
  if (!now.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                       .arg(fields.join(QStringLiteral(", ")), table,
                            keyConditions.join(QStringLiteral(" AND "))))) {
    fail(now.lastError().text().trimmed());
  }
  bindKey(now);
  if (!now.exec()) fail(now.lastError().text().trimmed());
  if (!now.next()) fail(QStringLiteral("the edited row is no longer in table %1").arg(table));
  // The held values become what the table holds now, so that a second store, after the user was
  // told, writes the typed text; an edit that equals the other user's text is no edit any more.
  RowEdits kept;
  for (size_t i = 0; i < pending.size(); ++i) {
    HeldColumn& column = rows.columns[static_cast<size_t>(pending[i].first)];
    const QVariant value = now.value(static_cast<int>(i));
    if (value.isNull()) {
      column.ReplaceNull(row);
    } else {
      column.Replace(row, value.toString());
    }
    if (column.View(row) != QStringView(pending[i].second)) kept.push_back(pending[i]);
  }
  pending = std::move(kept);
  if (pending.empty()) return;
  throw Error(kEditConflictMessage);
}

}  // namespace ravlek
