# Answers the DKIM tests with Mail::DKIM, in the protocol of oracle.py: each
# input line a request (kind and arguments, tab-separated, hex-encoded),
# each output line its answer in the same form. Keys come from DNS: run it
# where a name server serves them (dkim_namespace.sh).
#
#   sign   message key-path selector domain canonicalization algorithm
#          -> the DKIM-Signature field Mail::DKIM writes
#   verify message -> its result ("pass", "fail", "invalid", ...) and detail
#   record text -> "valid" or "invalid" for a key record's text, and why
use strict;
use warnings;
use Mail::DKIM::PublicKey;
use Mail::DKIM::Signer;
use Mail::DKIM::Verifier;

$| = 1;

sub feed {
    my ($dkim, $message) = @_;
    $message =~ s/\r?\n/\r\n/g;
    $dkim->PRINT($message);
    $dkim->CLOSE;
}

while (my $line = <STDIN>) {
    chomp $line;
    my ($kind, @args) = map { pack('H*', $_) } split /\t/, $line, -1;
    my @answer;
    if ($kind eq 'verify') {
        my $dkim = Mail::DKIM::Verifier->new();
        feed($dkim, $args[0]);
        @answer = ($dkim->result, $dkim->result_detail // '');
    } elsif ($kind eq 'sign') {
        my ($message, $key, $selector, $domain, $method, $algorithm) = @args;
        my $dkim = Mail::DKIM::Signer->new(Algorithm => $algorithm, Method => $method, Domain => $domain,
                                           Selector => $selector, KeyFile => $key);
        feed($dkim, $message);
        @answer = ('DKIM-Signature: ' . $dkim->signature->as_string =~ s/^DKIM-Signature:\s*//r . "\r\n");
    } elsif ($kind eq 'record') {
        my $key = eval { Mail::DKIM::PublicKey->parse($args[0]) };
        my $valid = $key && eval { $key->check; 1 };
        @answer = ($valid ? 'valid' : 'invalid', $@ // '');
    } else {
        @answer = ('unknown request');
    }
    print join("\t", map { unpack('H*', $_) } @answer), "\n";
}
