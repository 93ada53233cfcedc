#pragma once

#include <QString>

#include <functional>

// Every occurrence of search in source replaced by replacement, leftmost
// first and without overlapping; the inserted text is never searched again.
// An empty search text returns the source unchanged.
QString ReplaceAll(const QString &source, const QString &search, const QString &replacement);

// Hands a target (a web address, a mailto: link) to the desktop's default
// handler; true when the desktop accepted it.
bool OpenURL(const QString &target);

// Opens "mailto:<address>?subject=<subject>&body=<body>" with spaces, CRs and
// LFs escaped; raises "Cannot run default Email Client!" when refused.
bool SendMail(const QString &address, const QString &subject, const QString &body);

// Tests receive each target and choose the answer; an empty function undoes it.
void SetUrlOpenerForTesting(std::function<bool(const QString &target)> opener);
