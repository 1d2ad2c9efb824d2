// Sampled data behind ranged functions, the dataset values of expressions and the design datasets.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/AComplex.h"
#include "orvex/values/ValueBase.h"

class ORVEX_API AbstractDataset {
public:
  virtual ~AbstractDataset();                        // 0
  virtual size_t GetNumPoints() const = 0;           // 1
  virtual double GetXValue(size_t index) const = 0;  // 2
};

template <class X, class Y>
class Dataset : public AbstractDataset {
public:
  // Answers the point's index within the dataset.
  size_t AddPoint(X x, Y y) {
    m_x.push_back(x);
    m_y.push_back(y);
    return m_x.size() - 1;
  }
  size_t GetNumPoints() const override { return m_x.size(); }
  double GetXValue(size_t index) const override { return index < m_x.size() ? static_cast<double>(m_x[index]) : 0.0; }
  const std::vector<X>& GetX() const { return m_x; }
  const std::vector<Y>& GetY() const { return m_y; }

private:
  std::vector<X> m_x;
  std::vector<Y> m_y;
};

// A dataset value inside an expression: the argument of a ranged function.
class ORVEX_API AbstractDatasetValueBase : public ValueBase {
public:
  AbstractDatasetValueBase();
  ~AbstractDatasetValueBase() override;

  virtual int GetIndexInsideDataset() const = 0;                           // 39
  virtual size_t GetNumPointsOfCurrentDataset() const;                     // 40
  virtual double GetXValueOfCurrentDataset(size_t index) const;            // 41
  virtual AComplex<double> GetValueAtX(double x) const;                    // 42
  virtual AComplex<double> GetSecondValueAtX(double x) const;              // 43
  virtual const AbstractDataset* GetDatasetForCurrentPoint() const = 0;    // 44
  virtual const ValueBase* GetYExpression() const;                         // 45
};

// The face of dataset values that their maker keeps and purges.
class ORVEX_API AbstractDynamicDatasetValue {
public:
  virtual ~AbstractDynamicDatasetValue();                  // 0
  virtual long GetID() const = 0;                          // 1
  virtual const ValueBase* GetXExpression() const = 0;     // 2
  virtual const ValueBase* GetYExpression() const = 0;     // 3
  virtual bool OKtoDelete() const = 0;                     // 4
  virtual void Release(IReceiver* r) = 0;                  // 5
  virtual void AddRef(IReceiver* r) = 0;                   // 6
  virtual bool HasRef(IReceiver* r) const = 0;             // 7
};

// The tables of a design, named by table(name, x). One server per process in this library.
class ORVEX_API DatasetServer {
public:
  static DatasetServer* GetDesignDatasetServer();

  // Answers the new dataset's ID, or the existing one's when the name is taken (no case).
  long AddDataset(const AString& name);
  // -1 when unknown; names compare without case.
  long FindDataset(const AString& name) const;
  AString GetDatasetName(long id) const;
  bool RemoveDataset(long id);
  void Clear();

private:
  std::map<long, AString> m_names;
  long m_nextID = 1;
};

typedef std::map<const DatasetServer*, std::set<long>> ReferencedDatasetMap;
