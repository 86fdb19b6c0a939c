#include "effects/Dispatch.h"

#include "effects/EffectTable.h"

namespace tav {

void RunTransition(EffectHost& host) {
    host.BeginTransition();
    SetStretchBltMode(host.Display(), COLORONCOLOR);
    if (const EffectEntry* entry = FindEffect(host.EffectNumber)) {
        InvokeEffect(host, *entry);
        // After the last effect the numeric order starts again at 1.
        if (entry->number == kEffectCount && host.EffectOrder == 0 && host.EffectDone) host.EffectNumber = 0;
    }
    host.Refresh();
}

}  // namespace tav
