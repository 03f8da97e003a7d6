#include "framework/forms/description_loading.h"

#include "framework/classes/component.h"
#include "framework/forms/resource_stream.h"
#include "framework/streaming/loading.h"
#include "runtime/module_registry.h"
#include "runtime/scope_exit.h"

namespace {

// Parents first, so that a class's description is applied over those of its
// ancestors.
bool ApplyDescriptionsOf(const TClass* cls, const TClass* rootAncestor, TComponent*& component) {
    if (!cls || cls == &TComponent::ClassInfo || cls == rootAncestor) return false;
    bool found = ApplyDescriptionsOf(cls->Parent, rootAncestor, component);
    HINSTANCE module = ResourceModuleOf(ModuleOfAddress(cls));
    return ReadDescriptionResource(cls->Name, module, component) || found;
}

} // namespace

bool ReadDescriptionResource(const char* name, HINSTANCE module, TComponent*& component) {
    if (!module) module = GetModuleHandleA(nullptr);
    if (!FindResourceA(module, name, RT_RCDATA)) return false;
    TOwned<TResourceStream> stream(new TResourceStream());
    stream->Open(module, name, RT_RCDATA);
    component = stream->LoadTree(component);
    return true;
}

bool LoadClassDescriptions(TComponent* component, const TClass* rootAncestor) {
    TWriteGuard lock(NameSpaceLock());
    const bool ownBatch = !component->HasState(lsLoading | lsEmbedded);
    if (ownBatch) OpenLoadBatch();
    TScopeExit closeBatch([ownBatch] {
        if (ownBatch) CloseLoadBatch();
    });
    bool found = ApplyDescriptionsOf(component->ClassType(), rootAncestor, component);
    if (ownBatch) FinishLoadBatch();
    return found;
}
