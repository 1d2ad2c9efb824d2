// Object faces, the desktop switch and the owning vector of clonable pointers.
#include <string>
#include <vector>

#include "RepTest.h"
#include "orvex/core/AutoVectorOfClonablePtrs.h"
#include "orvex/core/IInterfaceQueriable.h"
#include "orvex/core/IOrvDesktop.h"
#include "orvex/core/TestHooks.h"

namespace {

class IFaceA {
public:
  virtual ~IFaceA() = default;
  virtual int A() = 0;
};

class IFaceB {
public:
  virtual ~IFaceB() = default;
  virtual int B() = 0;
};

// IFaceB is not the first base: its face lives at another address than the object.
class TwoFaces : public IFaceA, public IFaceB, public IVelmorUnknown {
public:
  int A() override { return 1; }
  int B() override { return 2; }
  void* QueryInterface(const std::type_info& type) override {
    if (type == typeid(IFaceA)) return static_cast<void*>(static_cast<IFaceA*>(this));
    if (type == typeid(IFaceB)) return static_cast<void*>(static_cast<IFaceB*>(this));
    return IVelmorUnknown::QueryInterface(type);
  }
};

class SwitchDesktop : public IOrvDesktop {
public:
  bool SupportsNewReporter() override { return m_answer; }
  bool m_answer = false;
};

std::vector<std::string> g_deleted;

class Clonable {
public:
  virtual ~Clonable() = default;
};

class Named : public Clonable {
public:
  explicit Named(std::string n) : m_name(std::move(n)) {}
  ~Named() override { g_deleted.push_back(m_name); }

private:
  std::string m_name;
};

}  // namespace

TEST(InterfaceQueriable, FindsEachFaceAtItsOwnAddress) {
  TwoFaces obj;
  IInterfaceQueriable* q = &obj;
  IFaceB* b = QueryInterfaceT<IFaceB>(q);
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(static_cast<IFaceB*>(&obj), b);
  EXPECT_EQ(2, b->B());
  EXPECT_EQ(1, QueryInterfaceT<IFaceA>(q)->A());
  EXPECT_EQ(nullptr, QueryInterfaceT<IOrvDesktop>(q));
  EXPECT_EQ(nullptr, QueryInterfaceT<IFaceA>(nullptr));
  IVelmorUnknown plain;
  EXPECT_EQ(nullptr, QueryInterfaceT<IVelmorUnknown>(&plain));  // the base answers no face
}

TEST(Desktop, AskedOnEveryCallAndRestoredByReset) {
  IOrvDesktop* standard = GetIOrvDesktop();
  ASSERT_NE(nullptr, standard);
  EXPECT_TRUE(standard->SupportsNewReporter());

  SwitchDesktop desk;
  EXPECT_EQ(standard, SetIOrvDesktop(&desk));
  EXPECT_FALSE(GetIOrvDesktop()->SupportsNewReporter());
  desk.m_answer = true;
  EXPECT_TRUE(GetIOrvDesktop()->SupportsNewReporter());

  EXPECT_EQ(&desk, SetIOrvDesktop(nullptr));
  EXPECT_EQ(standard, GetIOrvDesktop());

  SetIOrvDesktop(&desk);
  orvex::test::ResetGlobals();
  EXPECT_EQ(standard, GetIOrvDesktop());
}

TEST(AutoVectorOfClonablePtrs, DeletesItsElementsInIndexOrder) {
  g_deleted.clear();
  {
    AutoVectorOfClonablePtrs<Clonable> v;
    v.push_back(new Named("a"));
    v.push_back(nullptr);
    v.push_back(new Named("b"));
    EXPECT_EQ(3u, v.size());
    EXPECT_EQ(nullptr, v[1]);

    AutoVectorOfClonablePtrs<Clonable> moved(std::move(v));
    EXPECT_TRUE(v.empty());
    v.push_back(new Named("c"));
    v.clear();
    EXPECT_EQ(std::vector<std::string>{"c"}, g_deleted);
    EXPECT_TRUE(v.empty());

    v.push_back(new Named("d"));
    v = std::move(moved);  // d goes first, a and b change hands
    EXPECT_EQ((std::vector<std::string>{"c", "d"}), g_deleted);
    size_t n = 0;
    for (Clonable* c : v) n += c ? 1 : 0;
    EXPECT_EQ(2u, n);
  }
  EXPECT_EQ((std::vector<std::string>{"c", "d", "a", "b"}), g_deleted);
}
