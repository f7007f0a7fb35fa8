// Run-time class information.
//   CRuntimeClass, CObject, DECLARE_DYNAMIC / DECLARE_DYNCREATE, AfxDynamicDownCast
#pragma once

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    const CRuntimeClass* m_pBaseClass;
    CObject* (*m_pfnCreateObject)();

    bool IsDerivedFrom(const CRuntimeClass* base) const;
    // A new object of the class, or nullptr for a class that is not creatable.
    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
};

// Root of every class with run-time class information. No data members, so a
// derived window object keeps its handle right after the table pointer.
class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* cls) const;
    static const CRuntimeClass classCObject;
};

#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)

#define DECLARE_DYNAMIC(theClass) \
public: \
    static const CRuntimeClass class##theClass; \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(theClass) \
    DECLARE_DYNAMIC(theClass) \
    static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS_(theClass, baseClass, pfnNew) \
    const CRuntimeClass theClass::class##theClass = { \
        #theClass, static_cast<int>(sizeof(theClass)), RUNTIME_CLASS(baseClass), pfnNew }; \
    const CRuntimeClass* theClass::GetRuntimeClass() const { return RUNTIME_CLASS(theClass); }

#define IMPLEMENT_DYNAMIC(theClass, baseClass) \
    IMPLEMENT_RUNTIMECLASS_(theClass, baseClass, nullptr)

#define IMPLEMENT_DYNCREATE(theClass, baseClass) \
    CObject* theClass::CreateObject() { return new theClass; } \
    IMPLEMENT_RUNTIMECLASS_(theClass, baseClass, theClass::CreateObject)

// The object as an instance of cls, or nullptr when it is not one.
CObject* AfxDynamicDownCast(const CRuntimeClass* cls, CObject* object);
#define DYNAMIC_DOWNCAST(theClass, object) \
    static_cast<theClass*>(AfxDynamicDownCast(RUNTIME_CLASS(theClass), (object)))
