;;; Eglot, set up as README.md shows, on a copy of examples/invalid.cfg in a project's subfolder:
;;; the diagnostics sit on the lines of the program's findings, with the notes in their messages.
;;; A .cfg file of no project keeps conf-mode and gets no server. Batch Emacs has no command loop,
;;; so the test runs post-command-hook where eglot and flymake wait for the next command.
(require 'eglot)
(require 'flymake)

(defvar quorlin-exe (getenv "QUORLIN_VALIDATE"))
(defvar quorlin-src (getenv "QUORLIN_SOURCE_DIR"))

(defun quorlin-test-fail (format &rest args)
  (message "emacs_test: %s" (apply #'format format args))
  (kill-emacs 1))

(defun quorlin-readme-snippet ()
  "The first elisp block after **Emacs** in README.md."
  (with-temp-buffer
    (insert-file-contents (expand-file-name "README.md" quorlin-src))
    (unless (search-forward "**Emacs**" nil t) (quorlin-test-fail "README.md has no Emacs set-up"))
    (let ((start (progn (search-forward "```elisp\n") (point))))
      (search-forward "```")
      (buffer-substring start (match-beginning 0)))))

(defun quorlin-finding-lines (config)
  (let ((lines nil))
    (with-temp-buffer
      (call-process quorlin-exe nil t nil "--quiet" config)
      (goto-char (point-min))
      (while (re-search-forward "^[^:\n]+:\\([0-9]+\\):[0-9]+: error:" nil t)
        (push (string-to-number (match-string 1)) lines)))
    (sort lines #'<)))

(let* ((project (make-temp-file "quorlin-emacs" t))
       (config (expand-file-name "plant/invalid.cfg" project))
       (outside (make-temp-file "quorlin-emacs-outside" t))
       (diagnostics nil))
  (setq exec-path (cons (file-name-directory quorlin-exe) exec-path))
  (make-directory (expand-file-name "plant" project))
  (with-temp-file (expand-file-name ".quorlin-validate.toml" project)
    (insert (format "dp-lists = [%S]\n" (expand-file-name "examples/plant.dpl" quorlin-src))))
  (copy-file (expand-file-name "examples/invalid.cfg" quorlin-src) config)
  (eval (car (read-from-string (concat "(progn " (quorlin-readme-snippet) ")"))) t)
  (find-file config)
  (unless (eq major-mode 'quorlin-config-mode) (quorlin-test-fail "the config is in %s" major-mode))
  (run-hooks 'post-command-hook)
  (dotimes (_ 100)
    (unless diagnostics
      (flymake-start)
      (accept-process-output nil 0.1)
      (setq diagnostics (flymake-diagnostics))))
  (let ((expected (quorlin-finding-lines config))
        (got (sort (mapcar (lambda (d) (line-number-at-pos (flymake-diagnostic-beg d))) diagnostics)
                   #'<)))
    (unless expected (quorlin-test-fail "the program reported no finding"))
    (unless (equal got expected)
      (quorlin-test-fail "diagnostics on lines %S, findings on lines %S" got expected)))
  (unless (seq-some (lambda (d) (string-match-p "\nnote: " (flymake-diagnostic-text d))) diagnostics)
    (quorlin-test-fail "no diagnostic shows its notes in its message"))
  (eglot-shutdown (eglot-current-server))
  (with-temp-file (expand-file-name "setup.cfg" outside) (insert "[metadata]\nname = tool\n"))
  (find-file (expand-file-name "setup.cfg" outside))
  (run-hooks 'post-command-hook)
  (when (or (eq major-mode 'quorlin-config-mode) (eglot-current-server))
    (quorlin-test-fail "a .cfg file of no project is in %s with a server" major-mode))
  (delete-directory project t)
  (delete-directory outside t)
  (message "emacs_test: 1 passed, 0 failed"))
