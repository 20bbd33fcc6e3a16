// Plays the user at the plug-in's open-file dialog from a thread of its own,
// as a person would: finds the dialog by its title, types the answer into the
// file name field and presses OK, or presses Cancel when the answer is empty.
#pragma once

#include <atomic>
#include <string>
#include <thread>

class DialogUser {
public:
    DialogUser(std::string title, std::string answer);
    ~DialogUser();  // stops watching; a dialog that never came is not waited for
    DialogUser(const DialogUser&) = delete;
    DialogUser& operator=(const DialogUser&) = delete;

    bool sawDialog() const { return seen.load(); }
    // The first entry of the dialog's file type list, read when it appeared.
    const std::string& filterShown() const { return filter; }

private:
    void watch();

    std::string title;
    std::string answer;
    std::string filter;
    std::atomic<bool> seen{false};
    std::atomic<bool> stop{false};
    std::thread worker;
};
