#include "xml_element.h"

#include "kelvane/platform/format.h"
#include "xml_parse_char.h"

namespace caprel {

CXML_Element::CXML_Element()
    : CXML_ContentParticle(kElement),
      ownStore_(std::make_unique<ElementStore>()),
      store_(ownStore_.get()) {}

CXML_Element::CXML_Element(ElementStore& store)
    : CXML_ContentParticle(kElement), store_(&store) {}

CXML_Element::~CXML_Element() {
    std::unique_ptr<CXML_Element> next = std::move(child_);
    while (next) {
        std::unique_ptr<CXML_Element> after = std::move(next->child_);
        next.reset();  // childless by now: its own destructor finds nothing to do
        next = std::move(after);
    }
}

void CXML_Element::Reset() {
    state_ = kNotStarted;
    name_.clear();
    collecting_ = true;
    open_.clear();
    begun_ = 0;
    if (ownStore_) ownStore_->Clear();
}

void CXML_Element::ReserveFor(size_t fileSize) {
    store_->Reserve(fileSize);
}

ElementStore& CXML_Element::GetElements() {
    if (store_->GetSize() == 0) {
        record_ = store_->Begin(0);
        store_->SetStartTag(record_, {});
        store_->End(record_);
    }
    return *store_;
}

const std::string& CXML_Element::GetOpenElementName() const {
    for (auto open = open_.rbegin(); open != open_.rend(); ++open)
        if (!(*open)->GetName().empty()) return (*open)->GetName();
    return GetName();
}

CXML_Token& CXML_Element::Token() {
    if (!token_) token_ = std::make_unique<CXML_Token>();
    return *token_;
}

void CXML_Element::EndStartTag() {
    store_->SetStartTag(record_, name_);
}

int CXML_Element::Complete() {
    store_->End(record_);
    state_ = kComplete;
    return 1;
}

int CXML_Element::Parse(CXML_ParseChar& reader) {
    if (IsIdle()) return 1;
    CXML_Element* inner = open_.empty() ? this : open_.back();
    inner->Step(reader);
    if (inner->state_ == kChildOpen) {
        if (open_.size() + 1 >= kMaxNestingDepth)
            return Fail(
                kv::text::Format("Elements nested deeper than %zu levels", kMaxNestingDepth));
        if (++begun_ + 1 > kMaxElements)
            return Fail(kv::text::Format("More than %zu elements in the document", kMaxElements));
        open_.push_back(inner->child_.get());
    }
    // Close every element that this character finished, innermost first; a failure moves its
    // text up through every open element to this one.
    while (!open_.empty()) {
        CXML_Element* finished = open_.back();
        if (finished->state_ != kComplete && finished->state_ != kFailed) break;
        open_.pop_back();
        (open_.empty() ? this : open_.back())->ChildFinished();
    }
    return state_ == kFailed ? 0 : 1;
}

int CXML_Element::ChildFinished() {
    if (child_->GetState() == kFailed) return FailWith(*child_);
    state_ = 105;
    return 1;
}

int CXML_Element::Step(CXML_ParseChar& reader) {
    const char c = reader.GetChar();
    switch (state_) {
        case kNotStarted:
            if (c != '<') return Fail("Invalid element start char, expected '<'");
            record_ = store_->Begin(reader.GetLineNumber());
            Token().Reset();
            state_ = 101;
            return 1;
        case 101:
            if (c == '>') {
                name_ = token_->GetText();
                EndStartTag();
                collecting_ = true;
                state_ = 105;
                return 1;
            }
            if (c == '/') {
                name_ = token_->GetText();
                EndStartTag();
                state_ = 104;
                return 1;
            }
            if (!Feed(*token_, reader)) return 0;
            if (token_->IsComplete()) {
                name_ = token_->GetText();
                state_ = 102;
            }
            return 1;
        case 102:
            if (reader.IsWhiteSpace()) return 1;
            if (c == '>') {
                EndStartTag();
                collecting_ = true;
                state_ = 105;
                return 1;
            }
            if (c == '/') {
                EndStartTag();
                state_ = 104;
                return 1;
            }
            if (!attribute_) attribute_ = std::make_unique<CXML_Attribute>();
            attribute_->Reset();
            state_ = 103;
            return Feed(*attribute_, reader);
        case 103:
            if (!Feed(*attribute_, reader)) return 0;
            if (attribute_->IsComplete()) {
                // An attribute given twice has no one value: refused, as XML does.
                if (!store_->AddAttribute(attribute_->GetName(), attribute_->GetValue()))
                    return Fail("Attribute '" + attribute_->GetName() +
                                "' appears twice in element '" + name_ + "'");
                state_ = 102;
            }
            return 1;
        case 104:
            if (c != '>') return Fail("Invalid empty element symbol, expected '/>'");
            return Complete();
        case 105:
            if (c == '<') {
                if (collecting_) {
                    store_->EndLine();
                    collecting_ = false;
                }
                state_ = 106;
            } else if (collecting_) {
                if (c == '\n') {
                    store_->EndLine();
                } else {
                    store_->AppendText(c);
                }
            }
            return 1;
        case 106:
            if (c == '!') {
                if (!comment_) comment_ = std::make_unique<CXML_Comment>();
                state_ = 107;
                return Start(*comment_, "<", reader);
            }
            if (c == '/') {
                Token().Reset();
                state_ = 109;
                return 1;
            }
            if (!child_) child_.reset(new CXML_Element(*store_));
            state_ = kChildOpen;
            return Start(*child_, "<", reader);
        case 107:
            if (!Feed(*comment_, reader)) return 0;
            if (comment_->IsComplete()) {
                comment_->Reset();
                state_ = 105;
            }
            return 1;
        case kChildOpen:
            // Reached only when this element is fed directly while a child is open.
            if (!Feed(*child_, reader)) return 0;
            return child_->IsComplete() ? ChildFinished() : 1;
        case 109:
            if (c == '>') {
                if (token_->GetText() != name_) break;
                return Complete();
            }
            if (!Feed(*token_, reader)) return 0;
            if (token_->IsComplete()) {
                if (token_->GetText() != name_) break;
                state_ = 110;
            }
            return 1;
        case 110:
            if (c == '>') return Complete();
            if (reader.IsWhiteSpace()) return 1;
            return Fail(kv::text::Format("Invalid character '%s' found prior to '>'",
                                         reader.Shown().c_str()));
        default:
            return Fail("Unknown element parsing state");
    }
    return Fail(kv::text::Format("End tag %s does not match start tag %s",
                                 token_->GetText().c_str(), name_.c_str()));
}

}  // namespace caprel
