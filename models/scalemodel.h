#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QStringList>

#include "models/scale.h"

class QSettings;

// The tester's scale slots, row i being scale number i: HRC, HB, HV, then the user slots. The
// settings window edits it, the scale commands copy it to and from the tester, and the rows
// that gained or lost a user scale are remembered so that only those are written back. Every
// change goes through a call that tells the views.
class ScaleModel : public QAbstractListModel {
  Q_OBJECT
  // Every row holds what its slot in the tester holds; false after a scale read that missed a
  // slot, and before the first read.
  Q_PROPERTY(bool allRead READ allRead NOTIFY allReadChanged)

public:
  enum Roles {
    IsVisibleRole = Qt::UserRole + 1,
    IsReadOnlyRole,
    EnableRole,
    NumberRole,
    NameRole,
    DescriptionRole,
    UnknownRole // the slot's content was not read from the tester
  };
  // Rows 0 to 2 are the standard scales; user slots start after them.
  static constexpr int StandardScales = 3;

  explicit ScaleModel(QObject* parent = nullptr);

  // The tester's slots as the program starts with them: the three standard scales and the
  // free user slots, none of them read yet.
  void addTesterSlots();
  // The user scales' descriptions are the program's own: read from the file's complete group
  // and written back whenever one changes, so a killed process loses none.
  void keepDescriptionsIn(QSettings* file);

  qint8 maxScales() const { return m_maxScales; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QHash<int, QByteArray> roleNames() const override;

  // The row's record; null for no row. The pointer stays valid until that row is removed.
  const Scale* scale(ScaleNumber index) const;
  // The slot's content as read from the tester: the constants (a user slot's name and
  // whether it is in use with them), marked read.
  void setSlotContent(ScaleNumber index, const ScaleConstants& constants);
  // The row's constants, name and switch as edited, its read mark and number kept.
  void setEdited(ScaleNumber index, const Scale& edited);
  Q_INVOKABLE bool enabled(int index) const;
  Q_INVOKABLE void setEnabled(int index, bool enable);
  // The lowest row with exactly this name, hidden rows included; -1 for none or an empty name.
  Q_INVOKABLE qint16 scaleNumber(const QString& scaleName) const;
  Q_INVOKABLE QString scaleName(qint16 scaleNumber) const;
  // The lowest free user slot; -1 when there is none.
  Q_INVOKABLE qint16 lowestHiddenNumber() const;
  Q_INVOKABLE void hideScale(int index);
  Q_INVOKABLE void showScale(int index);
  // Puts a new user scale into the lowest free slot, switched off until the user enables it.
  Q_INVOKABLE void unhideLowestScale(const QString& name, const QString& description);
  Q_INVOKABLE QStringList visibleScaleNames() const;
  // The filter entries of the measurement list: "all scales" first.
  Q_INVOKABLE QStringList visibleMeasScaleNames() const;
  Q_INVOKABLE QList<int> modifiedIndexes() const;
  bool allRead() const;
  // Marks the row as read from the tester (or not), telling the views.
  void setRead(int index, bool read);
  Q_INVOKABLE void clearModifiedIndexes();
  // Appends a row numbered "001", "002"... (the number is written into the argument too);
  // ignored once the model holds maxScales rows.
  Q_INVOKABLE void add(Scale& scale);
  Q_INVOKABLE void remove(int index);
  Q_INVOKABLE void clear();

signals:
  void allReadChanged();

private:
  bool hasRow(int index) const { return index >= 0 && index < m_scales.size(); }
  void markModified(int index);
  void emitRowChanged(int index);
  QStringList userDescriptions() const;
  void saveDescriptions();

  const qint8 m_maxScales = 13;
  // QList keeps large items on the heap, so scale() pointers survive appends.
  QList<Scale> m_scales;
  QList<int> m_modified;
  QSettings* m_descriptionFile = nullptr;
  QStringList m_savedDescriptions;
};
