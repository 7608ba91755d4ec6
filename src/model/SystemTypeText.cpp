#include "model/SystemTypeText.h"

QString SystemTypeText(float systemType)
{
    return systemType == 2.0f ? QStringLiteral("3 Phase 3 Wire System")
                              : QStringLiteral("3 Phase 4 Wire System");
}
