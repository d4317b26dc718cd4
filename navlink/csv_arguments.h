// The argument list of a navigator message: one character buffer in which every argument
// is followed by the separator, split back into arguments in place when received.
#pragma once

#include <cstdint>

namespace kelvaro {

class MArguments {
  public:
    virtual ~MArguments() = default;
    virtual void Reset() = 0;
    // Returns the length of the text after adding, not counting the new separator, or -1
    // when the text could not grow (the list is then left as it was).
    virtual int32_t AddArgument(const char* text) = 0;
    virtual char* GetBuffer() = 0;
    virtual void Split() = 0;
    virtual int32_t GetCount() const = 0;
    // Null when the index is negative or not below the count.
    virtual const char* GetArgument(int32_t index) const = 0;
    // Empties the list and makes a heap text of the size the active one; false (and the
    // list empty) when memory runs out.
    [[nodiscard]] virtual bool AllocateBuffer(uint32_t size) = 0;
    // Bytes the active text can hold, its zero byte included.
    virtual uint32_t GetCapacity() const = 0;
};

class CSdkBase {
  public:
    virtual ~CSdkBase() = default;
};

class CCsvArguments : public MArguments, public CSdkBase {
  public:
    // Held inline, without allocation: room for the most arguments of any command (the
    // answer of a route's information, 14) and for all but long texts and lists.
    static constexpr uint32_t kInlineTextBytes = 1024;
    static constexpr int32_t kInlineTableEntries = 32;

    explicit CCsvArguments(char separator);
    ~CCsvArguments() override;
    CCsvArguments(const CCsvArguments&) = delete;
    CCsvArguments& operator=(const CCsvArguments&) = delete;

    void Reset() override;
    int32_t AddArgument(const char* text) override;
    char* GetBuffer() override;
    void Split() override;
    int32_t GetCount() const override { return count_; }
    const char* GetArgument(int32_t index) const override;
    [[nodiscard]] bool AllocateBuffer(uint32_t size) override;
    uint32_t GetCapacity() const override;

    bool UsesHeapText() const { return heapText_ != nullptr; }
    bool UsesHeapTable() const { return heapTable_ != nullptr; }

  private:
    void freeHeap();

    char inlineText_[kInlineTextBytes];
    char* heapText_ = nullptr;
    uint32_t heapCapacity_ = 0;
    char* inlineTable_[kInlineTableEntries];
    char** heapTable_ = nullptr;
    int32_t count_ = 0;
    char separator_;
};

}  // namespace kelvaro
