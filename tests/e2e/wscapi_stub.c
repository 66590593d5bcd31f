/* A Windows Security Center of the test's own, for a Wine prefix, which has none: installed as
   the system folder's wscapi.dll, it answers the health call and serves the product list class
   (registered with this DLL as its InprocServer32). The products are those the environment
   variable INVENTARIO_WSC_PRODUCTS names: "name|state|signature" entries joined by ";", state and
   signature as the numbers WSC_SECURITY_PRODUCT_STATE and WSC_SECURITY_SIGNATURE_STATUS give.
   Both interfaces derive from IDispatch, whose four methods come before their own. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#define MAX_PRODUCTS 8
#define MAX_TEXT 256

static const GUID ClsidProductList = {
    0x17072F7B, 0x9ABE, 0x4A74, {0xA2, 0x61, 0x1E, 0xB7, 0x6B, 0x55, 0x10, 0x7A}};
static const GUID IidProductList = {
    0x722A338C, 0x6E8E, 0x4E72, {0xAC, 0x27, 0x14, 0x17, 0xFB, 0x0C, 0x81, 0xC2}};
static const GUID IidProduct = {
    0x8C38232E, 0x3A45, 0x4A27, {0x92, 0xB0, 0x1A, 0x16, 0xA9, 0x75, 0xF6, 0x69}};
static const GUID IidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID IidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID IidClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

typedef struct {
  WCHAR Name[MAX_TEXT];
  int State;
  int Signature;
} TProduct;

static TProduct Products[MAX_PRODUCTS];
static LONG ProductCount = -1; /* read from the environment once */

static void ReadProducts(void) {
  WCHAR Text[MAX_PRODUCTS * (MAX_TEXT + 8)];
  WCHAR* Entry;
  WCHAR* Next;
  DWORD Length;
  if (ProductCount >= 0) return;
  ProductCount = 0;
  Length = GetEnvironmentVariableW(L"INVENTARIO_WSC_PRODUCTS", Text, sizeof Text / sizeof Text[0]);
  if (Length == 0 || Length >= sizeof Text / sizeof Text[0]) return;
  for (Entry = Text; Entry != NULL && *Entry != 0 && ProductCount < MAX_PRODUCTS; Entry = Next) {
    TProduct* P = &Products[ProductCount];
    WCHAR* Bar;
    int I = 0;
    Next = Entry;
    while (*Next != 0 && *Next != L';') ++Next;
    if (*Next == L';') *Next++ = 0; else Next = NULL;
    for (Bar = Entry; *Bar != 0 && *Bar != L'|' && I < MAX_TEXT - 1; ++Bar) P->Name[I++] = *Bar;
    P->Name[I] = 0;
    P->State = 0;
    P->Signature = 1;
    if (*Bar == L'|') {
      P->State = Bar[1] - L'0';
      if (Bar[2] == L'|') P->Signature = Bar[3] - L'0';
    }
    ++ProductCount;
  }
}

/* ---- IWscProduct ---- */

typedef struct TProductObject TProductObject;
typedef struct {
  HRESULT(STDMETHODCALLTYPE* QueryInterface)(TProductObject*, REFIID, void**);
  ULONG(STDMETHODCALLTYPE* AddRef)(TProductObject*);
  ULONG(STDMETHODCALLTYPE* Release)(TProductObject*);
  void* Dispatch[4];
  HRESULT(STDMETHODCALLTYPE* GetProductName)(TProductObject*, BSTR*);
  HRESULT(STDMETHODCALLTYPE* GetProductState)(TProductObject*, int*);
  HRESULT(STDMETHODCALLTYPE* GetSignatureStatus)(TProductObject*, int*);
} TProductTable;
struct TProductObject {
  const TProductTable* Table;
  LONG References;
  LONG Index;
};

static HRESULT STDMETHODCALLTYPE ProductQuery(TProductObject* This, REFIID Iid, void** Out) {
  if (IsEqualGUID(Iid, &IidUnknown) || IsEqualGUID(Iid, &IidDispatch) ||
      IsEqualGUID(Iid, &IidProduct)) {
    InterlockedIncrement(&This->References);
    *Out = This;
    return S_OK;
  }
  *Out = NULL;
  return E_NOINTERFACE;
}
static ULONG STDMETHODCALLTYPE ProductAddRef(TProductObject* This) {
  return (ULONG)InterlockedIncrement(&This->References);
}
static ULONG STDMETHODCALLTYPE ProductRelease(TProductObject* This) {
  const LONG Left = InterlockedDecrement(&This->References);
  if (Left == 0) HeapFree(GetProcessHeap(), 0, This);
  return (ULONG)Left;
}
static HRESULT STDMETHODCALLTYPE ProductName(TProductObject* This, BSTR* Name) {
  *Name = SysAllocString(Products[This->Index].Name);
  return *Name != NULL ? S_OK : E_OUTOFMEMORY;
}
static HRESULT STDMETHODCALLTYPE ProductState(TProductObject* This, int* State) {
  *State = Products[This->Index].State;
  return S_OK;
}
static HRESULT STDMETHODCALLTYPE ProductSignature(TProductObject* This, int* Status) {
  *Status = Products[This->Index].Signature;
  return S_OK;
}
static const TProductTable ProductTable = {ProductQuery, ProductAddRef, ProductRelease,
                                           {NULL, NULL, NULL, NULL}, ProductName, ProductState,
                                           ProductSignature};

/* ---- IWSCProductList ---- */

typedef struct TListObject TListObject;
typedef struct {
  HRESULT(STDMETHODCALLTYPE* QueryInterface)(TListObject*, REFIID, void**);
  ULONG(STDMETHODCALLTYPE* AddRef)(TListObject*);
  ULONG(STDMETHODCALLTYPE* Release)(TListObject*);
  void* Dispatch[4];
  HRESULT(STDMETHODCALLTYPE* Initialize)(TListObject*, ULONG);
  HRESULT(STDMETHODCALLTYPE* GetCount)(TListObject*, LONG*);
  HRESULT(STDMETHODCALLTYPE* GetItem)(TListObject*, ULONG, TProductObject**);
} TListTable;
struct TListObject {
  const TListTable* Table;
  LONG References;
  BOOL Initialized;
};

static HRESULT STDMETHODCALLTYPE ListQuery(TListObject* This, REFIID Iid, void** Out) {
  if (IsEqualGUID(Iid, &IidUnknown) || IsEqualGUID(Iid, &IidDispatch) ||
      IsEqualGUID(Iid, &IidProductList)) {
    InterlockedIncrement(&This->References);
    *Out = This;
    return S_OK;
  }
  *Out = NULL;
  return E_NOINTERFACE;
}
static ULONG STDMETHODCALLTYPE ListAddRef(TListObject* This) {
  return (ULONG)InterlockedIncrement(&This->References);
}
static ULONG STDMETHODCALLTYPE ListRelease(TListObject* This) {
  const LONG Left = InterlockedDecrement(&This->References);
  if (Left == 0) HeapFree(GetProcessHeap(), 0, This);
  return (ULONG)Left;
}
static HRESULT STDMETHODCALLTYPE ListInitialize(TListObject* This, ULONG Provider) {
  if (This->Initialized) return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
  if (Provider != 4) return E_INVALIDARG; /* WSC_SECURITY_PROVIDER_ANTIVIRUS */
  This->Initialized = TRUE;
  ReadProducts();
  return S_OK;
}
static HRESULT STDMETHODCALLTYPE ListCount(TListObject* This, LONG* Count) {
  if (!This->Initialized) return E_FAIL;
  *Count = ProductCount;
  return S_OK;
}
static HRESULT STDMETHODCALLTYPE ListItem(TListObject* This, ULONG Index, TProductObject** Out) {
  TProductObject* Item;
  *Out = NULL;
  if (!This->Initialized || Index >= (ULONG)ProductCount) return E_INVALIDARG;
  Item = HeapAlloc(GetProcessHeap(), 0, sizeof *Item);
  if (Item == NULL) return E_OUTOFMEMORY;
  Item->Table = &ProductTable;
  Item->References = 1;
  Item->Index = (LONG)Index;
  *Out = Item;
  return S_OK;
}
static const TListTable ListTable = {ListQuery, ListAddRef, ListRelease, {NULL, NULL, NULL, NULL},
                                     ListInitialize, ListCount, ListItem};

/* ---- the class factory ---- */

typedef struct TFactory TFactory;
typedef struct {
  HRESULT(STDMETHODCALLTYPE* QueryInterface)(TFactory*, REFIID, void**);
  ULONG(STDMETHODCALLTYPE* AddRef)(TFactory*);
  ULONG(STDMETHODCALLTYPE* Release)(TFactory*);
  HRESULT(STDMETHODCALLTYPE* CreateInstance)(TFactory*, IUnknown*, REFIID, void**);
  HRESULT(STDMETHODCALLTYPE* LockServer)(TFactory*, BOOL);
} TFactoryTable;
struct TFactory {
  const TFactoryTable* Table;
};

static HRESULT STDMETHODCALLTYPE FactoryQuery(TFactory* This, REFIID Iid, void** Out) {
  if (IsEqualGUID(Iid, &IidUnknown) || IsEqualGUID(Iid, &IidClassFactory)) {
    *Out = This;
    return S_OK;
  }
  *Out = NULL;
  return E_NOINTERFACE;
}
static ULONG STDMETHODCALLTYPE FactoryAddRef(TFactory* This) {
  (void)This;
  return 2;
}
static ULONG STDMETHODCALLTYPE FactoryRelease(TFactory* This) {
  (void)This;
  return 1;
}
static HRESULT STDMETHODCALLTYPE FactoryCreate(TFactory* This, IUnknown* Outer, REFIID Iid,
                                               void** Out) {
  TListObject* List;
  HRESULT Result;
  (void)This;
  *Out = NULL;
  if (Outer != NULL) return CLASS_E_NOAGGREGATION;
  List = HeapAlloc(GetProcessHeap(), 0, sizeof *List);
  if (List == NULL) return E_OUTOFMEMORY;
  List->Table = &ListTable;
  List->References = 1;
  List->Initialized = FALSE;
  Result = ListQuery(List, Iid, Out);
  ListRelease(List);
  return Result;
}
static HRESULT STDMETHODCALLTYPE FactoryLock(TFactory* This, BOOL Lock) {
  (void)This;
  (void)Lock;
  return S_OK;
}
static const TFactoryTable FactoryTable = {FactoryQuery, FactoryAddRef, FactoryRelease,
                                           FactoryCreate, FactoryLock};
static TFactory Factory = {&FactoryTable};

/* ---- exports ---- */

__declspec(dllexport) HRESULT WINAPI WscGetSecurityProviderHealth(DWORD Providers, int* Health) {
  (void)Providers;
  *Health = 0; /* WSC_SECURITY_PROVIDER_HEALTH_GOOD */
  return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID Clsid, REFIID Iid, void** Out) {
  if (!IsEqualGUID(Clsid, &ClsidProductList)) {
    *Out = NULL;
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return FactoryQuery(&Factory, Iid, Out);
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow(void) { return S_FALSE; }
