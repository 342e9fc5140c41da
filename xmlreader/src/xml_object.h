// Base of every parsed construct: a character-driven state machine with a name and an error
// text.
#ifndef CAPREL_XML_OBJECT_H
#define CAPREL_XML_OBJECT_H

#include <string>
#include <string_view>

namespace caprel {

class CXML_ParseChar;
class CXML_Token;

class CXML_Object {
  public:
    static constexpr int kNotStarted = 0;
    static constexpr int kComplete = -1;
    static constexpr int kFailed = -2;
    static constexpr int kAbsent = -3;
    static constexpr int kParked = 1;
    // A markup construct reads its opening keyword in kOpening and goes on in kAfterOpening.
    static constexpr int kOpening = 101;
    static constexpr int kAfterOpening = 102;

    CXML_Object() = default;
    CXML_Object(const CXML_Object&) = delete;
    CXML_Object& operator=(const CXML_Object&) = delete;
    virtual ~CXML_Object() = default;

    // Back to state 0 so that the object can parse a new construct.
    virtual void Reset() { state_ = kNotStarted; }
    // Consumes the reader's current character: 1 to go on, 0 on error.
    virtual int Parse(CXML_ParseChar& reader) = 0;

    int GetState() const { return state_; }
    void SetState(int state) { state_ = state; }
    bool IsComplete() const { return state_ == kComplete; }

    const std::string& GetName() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    const std::string& GetError() const { return error_; }
    void SetError(std::string text) { error_ = std::move(text); }
    // Moves the error text out; the object's own text is left empty.
    std::string TakeError();

  protected:
    // Complete, failed, absent and parked constructs take no more characters.
    bool IsIdle() const {
        return state_ == kComplete || state_ == kFailed || state_ == kAbsent || state_ == kParked;
    }
    // Records the error, marks the construct failed and returns 0.
    int Fail(std::string text);
    // Takes over the child's error text and fails.
    int FailWith(CXML_Object& child);
    // Feeds the current character to a child construct; a failure of the child fails this one.
    int Feed(CXML_Object& child, CXML_ParseChar& reader);
    // Resets the child and hands it the characters of its opening that this construct has
    // already consumed, then the current character.
    int Start(CXML_Object& child, std::string_view prefix, CXML_ParseChar& reader);
    bool IsOpening() const { return state_ == kNotStarted || state_ == kOpening; }
    // Reads the opening keyword ("<!ATTLIST", "<!--", "<?xml") whole with the token and
    // compares it ignoring case: kAfterOpening follows, or the message for any other.
    int ParseOpening(CXML_Token& token, CXML_ParseChar& reader, std::string_view keyword,
                     const char* message);

    int state_ = kNotStarted;
    std::string name_;
    std::string error_ = "No error";
};

}  // namespace caprel

#endif  // CAPREL_XML_OBJECT_H
