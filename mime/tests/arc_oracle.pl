# Answers the ARC tests with Mail::DKIM's ARC sealer and validator, in the
# protocol of oracle.py (see arc_oracle.py): requests key, hop and verify.
# Key records come through Mail::DKIM's resolver hook.
use strict;
use warnings;
use Mail::DKIM::ARC::Signer;
use Mail::DKIM::ARC::Verifier;
use Mail::DKIM::DNS;
use Net::DNS;

# Answers every TXT question with the test key.
package KeyResolver;
our @ISA = ('Net::DNS::Resolver');
our $public = '';
sub answer {
    my ($name, $type) = @_;
    my $packet = Net::DNS::Packet->new($name, $type // 'TXT');
    $packet->header->qr(1);
    my @strings = unpack('(A255)*', "v=DKIM1; k=rsa; p=$public");
    $packet->push(answer => Net::DNS::RR->new(name => $name, type => 'TXT', ttl => 60, txtdata => \@strings));
    return $packet;
}
sub send { my ($self, $name, $type) = @_; return answer($name, $type) }
sub query { my ($self, $name, $type) = @_; return answer($name, $type) }
sub search { my ($self, $name, $type) = @_; return answer($name, $type) }
sub bgsend { my ($self, $name, $type) = @_; return answer($name, $type) }
sub bgread { my ($self, $handle) = @_; return $handle }
sub bgbusy { 0 }
sub errorstring { 'NOERROR' }

package main;
Mail::DKIM::DNS::resolver(bless {}, 'KeyResolver');
my $private = '';

sub chain {
    my ($message) = @_;
    my $verifier = Mail::DKIM::ARC::Verifier->new();
    $verifier->PRINT($message);
    $verifier->CLOSE;
    return ($verifier->result, $verifier->result_detail // '');
}

sub hop {
    my ($message, $selector, $domain, $srvid) = @_;
    my ($cv) = chain($message);
    $cv = 'none' if $cv eq 'none';
    $cv = 'fail' unless $cv eq 'pass' || $cv eq 'none';
    $message = "Authentication-Results: $srvid; arc=$cv\r\n" . $message;
    my $signer = Mail::DKIM::ARC::Signer->new(Algorithm => 'rsa-sha256', Chain => 'ar', Domain => $domain,
                                              SrvId => $srvid, Selector => $selector, KeyFile => $private);
    $signer->PRINT($message);
    $signer->CLOSE;
    return ('', $signer->result . ' ' . ($signer->result_detail // '')) unless $signer->result eq 'sealed';
    my $lines = $signer->as_string;
    $lines =~ s/\r?\n/\r\n/g;
    $lines .= "\r\n" unless $lines =~ /\r\n$/;
    return ($lines . $message);
}

$| = 1;
while (my $line = <STDIN>) {
    chomp $line;
    my @fields = map { pack('H*', $_) } split /\t/, $line, -1;
    my $kind = shift @fields;
    my @answer;
    if ($kind eq 'key') {
        $private = $fields[0];
        $KeyResolver::public = $fields[1];
        @answer = ('');
    } elsif ($kind eq 'hop') {
        @answer = hop(@fields);
    } elsif ($kind eq 'verify') {
        @answer = chain($fields[0]);
    } else {
        @answer = ('unknown request');
    }
    print join("\t", map { unpack('H*', $_) } @answer), "\n";
}
