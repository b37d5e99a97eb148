// FeedbackRequest: a validated feedback post ("cmd=feedback") with appname, version, feedback
// and an optional email. The text must not be blank and stays within the window's limit (plus
// room for the like/dislike line the window puts before it); an address must pass the same
// pattern the feedback window checks, so the service never stores what the window would refuse.
#pragma once

#include "formbody.h"
#include "parsed.h"

#include <cstddef>
#include <string>
#include <string_view>

struct FeedbackRequest {
    // The window's text box holds 10000 characters; a selected like/dislike choice adds its
    // line (English plus a translated caption) in front of that.
    static constexpr std::size_t kMaxTextChars = 10000;
    static constexpr std::size_t kMaxChoiceLineChars = 200;
    static constexpr std::size_t kMaxEmailChars = 100;

    std::string appname;
    std::string version;
    std::string text;
    std::string email; // empty when none was given

    static Parsed<FeedbackRequest> fromForm(const FormBody& form);
    static bool isValidEmail(std::string_view email);
};
