#include "afx/afxrtti.h"

const CRuntimeClass CObject::classCObject = { "CObject", static_cast<int>(sizeof(CObject)), nullptr, nullptr };

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass)
        if (c == base)
            return true;
    return false;
}

bool CObject::IsKindOf(const CRuntimeClass* cls) const
{
    return GetRuntimeClass()->IsDerivedFrom(cls);
}

CObject* AfxDynamicDownCast(const CRuntimeClass* cls, CObject* object)
{
    return object != nullptr && object->IsKindOf(cls) ? object : nullptr;
}
