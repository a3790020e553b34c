#include "models/scale.h"

Scale Scale::standard(const QString& name, const QString& description) {
  Scale scale;
  scale.setName(name);
  scale.setDescription(description);
  scale.setIsReadOnly(true);
  return scale;
}

Scale Scale::freeUserSlot() {
  Scale scale;
  scale.setName(QStringLiteral("NON"));
  scale.setIsReadOnly(true);
  scale.setIsVisible(false);
  scale.setA(FreeSlotA);
  return scale;
}
