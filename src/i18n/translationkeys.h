#pragma once

// Every English text the program passes to Translate(), in one place: a window takes its keys
// from here, and the test of the shipped language files checks each file against this list,
// so a new window cannot forget its keys. A key with "%s" is formatted after translation.

#include <QStringList>

namespace TranslationKeys {

// Main window: message captions and the restart question (also asked by the language window).
inline constexpr char kError[] = "ERROR";
inline constexpr char kWarning[] = "WARNING";
inline constexpr char kRestartApplication[] = "Restart Application?";
inline constexpr char kConfirmation[] = "Confirmation";
inline constexpr char kYes[] = "Yes";
inline constexpr char kNo[] = "No";
// Any window that opens a page or a file, when no program could open it; the address follows.
inline constexpr char kCannotOpenAddress[] = "No program could open this address:";

// Language window.
inline constexpr char kLanguage[] = "Language";
inline constexpr char kUserInterfaceLanguage[] = "User Interface Language:";
inline constexpr char kTranslatedBy[] = "Translated by:";
inline constexpr char kOk[] = "OK";
inline constexpr char kContributeToTranslation[] = "Contribute to Translation";
inline constexpr char kCopy[] = "Copy";
inline constexpr char kSelectAll[] = "Select All";

// Update pop-up.
inline constexpr char kUpdateAvailable[] = "UPDATE AVAILABLE";
inline constexpr char kClickToDownload[] = "Click to download";

// Feedback window.
inline constexpr char kFeedback[] = "feedback";
inline constexpr char kILikeIt[] = "I like it!";
inline constexpr char kIDislikeIt[] = "I dislike it!";
inline constexpr char kWeWouldAppreciate[] = "We would really appreciate your feedback.";
inline constexpr char kWhatDidYouLike[] = "What did you like or dislike?";
inline constexpr char kIncludeMyEmail[] = "Include my e-mail:";
inline constexpr char kSend[] = "Send";
inline constexpr char kInvalidEmail[] = "Invalid e-mail address!";
inline constexpr char kFailure[] = "Failure";
inline constexpr char kFeedbackReceived[] = "Your feedback is received.";
inline constexpr char kThankYou[] = "Thank you!";
inline constexpr char kSuccess[] = "Success";
inline constexpr char kFeedbackNotDelivered[] =
    "Something went wrong. Your feedback could not be delivered.";
inline constexpr char kTryAgainLater[] = "Please try again later.";
// Beside the disabled Send button of a copy with no web service to post to.
inline constexpr char kFeedbackNoService[] =
    "Feedback cannot be sent: no web service is set up for this copy of the program.";

// About window.
inline constexpr char kAbout[] = "About %s";
inline constexpr char kInfo[] = "Info";
inline constexpr char kAcknowledgements[] = "Acknowledgements...";
inline constexpr char kHowToUninstall[] = "How to uninstall...";
inline constexpr char kLicenseMenu[] = "License...";
inline constexpr char kFileNotFound[] = "File not found!";
inline constexpr char kLicense[] = "License";
// The link's text when there is no web host to name: it opens the bundled help.
inline constexpr char kOnlineHelp[] = "Online Help";

// The special entry the language window reads for its credit box (not through Translate()).
inline constexpr char kTranslatedByInfo[] = "INFO:Translated By";

// Every key above that goes through Translate().
inline QStringList all() {
    return {kError,
            kWarning,
            kRestartApplication,
            kConfirmation,
            kYes,
            kNo,
            kCannotOpenAddress,
            kLanguage,
            kUserInterfaceLanguage,
            kTranslatedBy,
            kOk,
            kContributeToTranslation,
            kCopy,
            kSelectAll,
            kUpdateAvailable,
            kClickToDownload,
            kFeedback,
            kILikeIt,
            kIDislikeIt,
            kWeWouldAppreciate,
            kWhatDidYouLike,
            kIncludeMyEmail,
            kSend,
            kInvalidEmail,
            kFailure,
            kFeedbackReceived,
            kThankYou,
            kSuccess,
            kFeedbackNotDelivered,
            kTryAgainLater,
            kFeedbackNoService,
            kAbout,
            kInfo,
            kAcknowledgements,
            kHowToUninstall,
            kLicenseMenu,
            kFileNotFound,
            kLicense,
            kOnlineHelp};
}

} // namespace TranslationKeys
