#include "orvex/io/BlockTextFuzzEntry.h"

#include "orvex/core/Assert.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/NamedValue.h"
#include "orvex/io/TokenStream.h"

namespace io {

namespace {

// Touches every item the way readers do, so that a broken tree shows up under the sanitizers.
void WalkBlock(const CBlock& b) {
  for (size_t i = 0; i < b.GetNumItems(); ++i) {
    const AString& name = b.GetItemName(i);
    switch (b.GetItemKind(i)) {
      case CBlock::kBlock:
        WalkBlock(*b.GetBlock(i));
        break;
      case CBlock::kNamedValue: {
        CBlock_named_value nv(name);
        b >> nv;
        long l;
        double d;
        AString s;
        bool f;
        nv.GetValue().Query(l);
        nv.GetValue().Query(d);
        nv.GetValue().Query(s);
        nv.GetValue().Query(f);
        break;
      }
      case CBlock::kFunc: {
        const CBlock_func* fn = b.FindFunc(name);
        size_t cursor = 0;
        AString s;
        while (fn && fn->QueryUnamedValues(s, cursor)) {
        }
        break;
      }
      case CBlock::kVec: {
        CBlockVecPtr v(name);
        b >> v;
        unsigned u;
        for (size_t k = 0; k < v->GetCount(); ++k) v->GetItem(k).Query(u);
        break;
      }
    }
  }
}

}  // namespace

int FuzzBlockText(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  try {
    {
      CStringToken_istream tokens(bytes, size);
      CToken t;
      while (tokens.ReadToken(t)) {
      }
    }
    {
      // Every word or text taken as the key of a named value: a read either takes Key = value or
      // leaves the stream before the key.
      CStringToken_istream named(bytes, size);
      CToken t;
      while (named.ReadToken(t)) {
        if (t.GetKind() != CToken::kWord && t.GetKind() != CToken::kString) continue;
        // A key is matched by its C string, so a text holding NUL cannot name one.
        if (t.Text().find(L'\0') != AString::npos) continue;
        named.PutBack(t);
        double d = 0;
        named >> NamedValue(t.Text(), d);
        if (!named.Fail()) continue;
        named.ClearFail();
        const bool beforeKey = named.IsNextToken(t.ACharPtr());
        ORVEX_ASSERT(beforeKey);
        if (!beforeKey || !named.ReadToken(t)) break;
      }
    }
    {
      CStringToken_istream lines(bytes, size);
      while (!lines.AtEof()) lines.NewLine();
    }
    CStringToken_istream in(bytes, size);
    CBlock block;
    AString error;
    if (!ReadSingleBlock(in, block, &error)) return 0;
    WalkBlock(block);
    CStringToken_ostream first;
    first << block;
    CStringToken_istream again(first.Utf8().data(), first.Utf8().size());
    CBlock reread;
    const bool rereadOk = ReadSingleBlock(again, reread, &error);
    ORVEX_ASSERT(rereadOk);
    ORVEX_ASSERT(reread == block);
    CStringToken_ostream second;
    second << reread;
    ORVEX_ASSERT(first.Utf8() == second.Utf8());
    return 1;
  } catch (...) {
    ORVEX_ASSERT(!"no exception leaves the block text readers");
    return 0;
  }
}

}  // namespace io
